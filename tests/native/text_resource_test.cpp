#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>

#include "payload/little_endian.h"
#include "payload/text_resource.h"
#include "zlib_streams.h"

static Bytes StoredResource(const std::string& text)
{
    Bytes resource(4);
    WriteWord32(resource.data(), (uint32_t)-(int32_t)text.size());
    resource.insert(resource.end(), text.begin(), text.end());
    return resource;
}

static Bytes DeflatedResource(uint32_t lengthWord, const Bytes& stream)
{
    Bytes resource(8);
    WriteWord32(resource.data(), lengthWord);
    WriteWord32(resource.data() + 4, (uint32_t)stream.size());
    resource.insert(resource.end(), stream.begin(), stream.end());
    return resource;
}

// Decodes and returns the text, or "<nothing>".
static std::string Decode(const Bytes& resource, size_t* lengthOut = nullptr)
{
    size_t length = 12345;
    char* text = DecodeTextResource(resource.data(), resource.size(), &length);
    if (!text)
        return "<nothing>";
    std::string result(text, length);
    EXPECT_EQ(0, text[length]);
    if (lengthOut) *lengthOut = length;
    free(text);
    return result;
}

TEST(TextResource, LengthZeroIsAnEmptyTerminatedText)
{
    size_t length = 99;
    EXPECT_EQ("", Decode(StoredResource(""), &length));
    EXPECT_EQ(0u, length);
}

TEST(TextResource, StoredFormTakesExactlyMinusLBytes)
{
    Bytes resource = StoredResource("hello");
    resource.push_back('!');  // bytes after the text are not part of it
    EXPECT_EQ("hello", Decode(resource));
}

TEST(TextResource, DeflatedFormAcceptsZlibAndGzip)
{
    std::string text = "I accept \x93the agreement\x94 of Arbolix\xAE.\r\n";
    for (Wrapper wrapper : {Wrapper::Zlib, Wrapper::Gzip})
        EXPECT_EQ(text, Decode(DeflatedResource((uint32_t)text.size(), Compress(ToBytes(text), wrapper))));
}

TEST(TextResource, RawDeflateIsRejected)
{
    std::string text = "license";
    EXPECT_EQ("<nothing>", Decode(DeflatedResource(7, Compress(ToBytes(text), Wrapper::Raw))));
}

TEST(TextResource, StreamOfAnotherLengthIsRejected)
{
    Bytes stream = Compress(ToBytes("twelve chars"), Wrapper::Zlib);
    EXPECT_EQ("twelve chars", Decode(DeflatedResource(12, stream)));
    EXPECT_EQ("<nothing>", Decode(DeflatedResource(11, stream)));
    EXPECT_EQ("<nothing>", Decode(DeflatedResource(13, stream)));
}

TEST(TextResource, HeadersBeyondTheResourceAreRejected)
{
    Bytes stored = StoredResource("hello");
    stored.pop_back();
    EXPECT_EQ("<nothing>", Decode(stored));

    Bytes deflated = DeflatedResource(5, Compress(ToBytes("hello"), Wrapper::Zlib));
    deflated.pop_back();
    EXPECT_EQ("<nothing>", Decode(deflated));

    EXPECT_EQ("<nothing>", Decode(Bytes{1, 0, 0}));      // no whole length word
    EXPECT_EQ("<nothing>", Decode(Bytes{1, 0, 0, 0, 9}));  // no whole stream length
    Bytes hugeStored(4);
    WriteWord32(hugeStored.data(), 0x80000000u);
    EXPECT_EQ("<nothing>", Decode(hugeStored));
}

// From the sanitizer runtime these tests are linked with.
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*onMalloc)(const volatile void*, size_t),
                                                         void (*onFree)(const volatile void*));

static size_t g_largestAllocation;

static void RecordAllocation(const volatile void*, size_t size)
{
    if (size > g_largestAllocation)
        g_largestAllocation = size;
}

static void IgnoreFree(const volatile void*) {}

TEST(TextResource, LengthBeyondWhatTheStreamCanInflateToIsRefusedBeforeAllocating)
{
    Bytes stream = Compress(ToBytes("hello"), Wrapper::Zlib);
    EXPECT_EQ("<nothing>", Decode(DeflatedResource(0x73DA7800u, stream)));

    // The largest length a stream of this size could reach is still tried.
    uint32_t reachable = (uint32_t)(stream.size() * 1032);
    // Hooks cannot be removed; they only ever raise the recorded size.
    static int hooked = __sanitizer_install_malloc_and_free_hooks(RecordAllocation, IgnoreFree);
    ASSERT_TRUE(hooked);
    g_largestAllocation = 0;
    EXPECT_EQ("<nothing>", Decode(DeflatedResource(reachable + 1, stream)));
    size_t refused = g_largestAllocation;
    g_largestAllocation = 0;
    EXPECT_EQ("<nothing>", Decode(DeflatedResource(reachable, stream)));
    size_t tried = g_largestAllocation;
    EXPECT_LT(refused, 1000u);
    EXPECT_EQ(reachable + 1u, tried);
}

TEST(TextResource, TheBuiltLicenseDecodesToItsSource)
{
    Bytes source = ReadFileBytes(LICENSE_SOURCE);
    Bytes resource = ReadFileBytes(LICENSE_RESOURCE);
    ASSERT_FALSE(source.empty());
    ASSERT_GE(resource.size(), 10u);
    EXPECT_EQ(source.size(), ReadWord32(resource.data()));  // deflated form
    EXPECT_EQ(0x78, resource[8]);                            // zlib wrapper
    std::string text = Decode(resource);
    EXPECT_EQ(std::string(source.begin(), source.end()), text);
    EXPECT_NE(std::string::npos, text.find("Arbolix\xAE"));
    EXPECT_NE(std::string::npos, text.find("\x93"));
    EXPECT_EQ("\r\n", text.substr(text.size() - 2));
}
