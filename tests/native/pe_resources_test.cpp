// The packer reads the "Z" resources out of a setup program without Windows: a
// small PE image built here stands for one, whole, damaged and cut short.
#include <gtest/gtest.h>
#include <string.h>

#include <string>

#include "payload/little_endian.h"
#include "tests/native/pe_image.h"
#include "tools/pack/pe_resources.h"
#include "tools/pack/signature.h"

static Bytes Text(const std::string& text)
{
    return Bytes(text.begin(), text.end());
}

TEST(PeResources, FindsBothResourcesOfTypeZ)
{
    Bytes image = MakeImage("Z", Text("license bytes"), Text("archive!"));
    ASSERT_TRUE(IsPeImage(image));
    Bytes found;
    std::string error;
    ASSERT_EQ(1, FindPeResource(image, "Z", 107, &found, &error)) << error;
    EXPECT_EQ(Text("license bytes"), found);
    ASSERT_EQ(1, FindPeResource(image, "Z", 110, &found, &error)) << error;
    EXPECT_EQ(Text("archive!"), found);
    EXPECT_EQ(0, FindPeResource(image, "Z", 111, &found, &error));
    EXPECT_EQ(0, FindPeResource(image, "ZZ", 110, &found, &error));
}

TEST(PeResources, OtherTypeNameOrIdIsNotFound)
{
    Bytes found;
    std::string error;
    EXPECT_EQ(0, FindPeResource(MakeImage("Y", Text("a"), Text("b")), "Z", 110, &found, &error));
    EXPECT_EQ(0, FindPeResource(MakeImage("Z", Text("a"), Text("b"), 109), "Z", 110, &found, &error));
    EXPECT_EQ(1, FindPeResource(MakeImage("Z", Text("a"), Text("b"), 109), "Z", 107, &found, &error));
}

TEST(PeResources, NotAnImageIsTold)
{
    Bytes found;
    std::string error;
    EXPECT_FALSE(IsPeImage(Text("MZ but nothing more")));
    EXPECT_EQ(-1, FindPeResource(Text("plain archive bytes"), "Z", 110, &found, &error));
    EXPECT_EQ("not a Windows executable", error);
}

TEST(PeResources, ResourceRunningPastTheFileIsMalformed)
{
    Bytes image = MakeImage("Z", Text("license"), Text("archive"));
    Put32(&image, kSectionFile + 0x94, 0x10000);  // the archive's size
    Bytes found;
    std::string error;
    EXPECT_EQ(-1, FindPeResource(image, "Z", 110, &found, &error));
    EXPECT_EQ("the resource directory is malformed", error);
    EXPECT_EQ(1, FindPeResource(image, "Z", 107, &found, &error));
}

// Every cut and every single damaged byte of the headers and the resource
// directory: an answer, never a read outside the image (AddressSanitizer).
TEST(PeResources, CutOrDamagedImagesNeverReadOutsideThem)
{
    Bytes image = MakeImage("Z", Text("license"), Text("archive"));
    Bytes found;
    std::string error;
    size_t archiveEnd = std::string(image.begin(), image.end()).find("archive") + 7;
    for (size_t size = 0; size < image.size(); ++size) {
        Bytes cut(image.begin(), image.begin() + size);
        int result = FindPeResource(cut, "Z", 110, &found, &error);
        EXPECT_EQ(size >= archiveEnd, result == 1) << size;
        if (result == 1) EXPECT_EQ(Text("archive"), found);
    }
    const uint32_t values[] = {0, 1, 0x7F, 0x80, 0xFF};
    for (size_t offset = 0; offset < kSectionFile + 0x100; ++offset) {
        for (uint32_t value : values) {
            Bytes damaged(image.begin(), image.end());
            damaged[offset] = (unsigned char)value;
            found.clear();
            int result = FindPeResource(damaged, "Z", 110, &found, &error);
            EXPECT_TRUE(result == 1 || found.empty());
        }
    }
}

// The single section sits at 0x200 in the file; a second one may follow it.
static Bytes WithSecondSection(Bytes image, uint32_t rawOffset, uint32_t rawSize)
{
    Put16(&image, 0x44 + 2, 2);
    size_t header = 0x44 + 20 + 224 + 40;
    memcpy(image.data() + header, ".reloc", 6);
    Put32(&image, header + 8, rawSize);
    Put32(&image, header + 12, 0x8000);
    Put32(&image, header + 16, rawSize);
    Put32(&image, header + 20, rawOffset);
    image.resize(rawOffset, 0);
    image.insert(image.end(), rawSize, 0x5A);
    return image;
}

TEST(PeAlignment, ResourcesMoveToAPageAndStillReadTheSame)
{
    Bytes image = WithSecondSection(MakeImage("Z", Text("license bytes"), Text("archive!")), 0x600, 0x200);
    Put32(&image, 0x44 + 20 + 64, 0x12345);  // a checksum
    Bytes aligned = image;
    std::string error;
    ASSERT_EQ(1, AlignResourceSection(&aligned, &error)) << error;
    ASSERT_EQ(image.size() + 0xE00, aligned.size());
    size_t header = 0x44 + 20 + 224;
    EXPECT_EQ(0x1000u, ReadWord32(aligned.data() + header + 20));
    EXPECT_EQ(0x1400u, ReadWord32(aligned.data() + header + 40 + 20));
    EXPECT_EQ(kSectionRva, ReadWord32(aligned.data() + header + 12));
    EXPECT_EQ(0u, ReadWord32(aligned.data() + 0x44 + 20 + 64));
    // Headers unchanged before the section, zeros in the gap, the rest moved whole.
    EXPECT_TRUE(std::equal(image.begin(), image.begin() + 0x44 + 20 + 64, aligned.begin()));
    EXPECT_EQ(Bytes(0xE00, 0), Bytes(aligned.begin() + 0x200, aligned.begin() + 0x1000));
    EXPECT_TRUE(std::equal(image.begin() + 0x200, image.end(), aligned.begin() + 0x1000));
    Bytes found;
    ASSERT_EQ(1, FindPeResource(aligned, "Z", 110, &found, &error)) << error;
    EXPECT_EQ(Text("archive!"), found);
    ASSERT_EQ(1, FindPeResource(aligned, "Z", 107, &found, &error));
    EXPECT_EQ(Text("license bytes"), found);

    // Once aligned there is nothing left to do.
    Bytes again = aligned;
    EXPECT_EQ(0, AlignResourceSection(&again, &error));
    EXPECT_EQ(aligned, again);
}

TEST(PeAlignment, SignedOrOverlappingImagesAreLeftAlone)
{
    std::string error;
    Bytes signedImage = MakeImage("Z", Text("a"), Text("b"));
    Put32(&signedImage, 0x44 + 20 + 96 + 32, 0x400);  // certificate table
    Bytes copy = signedImage;
    EXPECT_EQ(-1, AlignResourceSection(&copy, &error));
    EXPECT_EQ("the image is signed: align it before signing", error);
    EXPECT_EQ(signedImage, copy);

    // A second section whose bytes run from before the resources into them.
    Bytes overlapping = WithSecondSection(MakeImage("Z", Text("a"), Text("b")), 0x400, 0x200);
    Put32(&overlapping, 0x44 + 20 + 224 + 40 + 20, 0x1A0);
    copy = overlapping;
    EXPECT_EQ(-1, AlignResourceSection(&copy, &error));
    EXPECT_EQ("a section overlaps the resource section in the file", error);
    EXPECT_EQ(overlapping, copy);

    Bytes text = Text("not an image at all");
    EXPECT_EQ(-1, AlignResourceSection(&text, &error));
    EXPECT_EQ("not a Windows executable", error);
}

TEST(PeAlignment, CutOrDamagedImagesNeverReachOutside)
{
    Bytes image = MakeImage("Z", Text("license"), Text("archive"));
    std::string error;
    for (size_t size = 0; size < image.size(); ++size) {
        Bytes cut(image.begin(), image.begin() + size);
        // Cut inside the headers: refused; cut inside the section: still moved.
        EXPECT_EQ(size < kSectionFile ? -1 : 1, AlignResourceSection(&cut, &error)) << size;
    }
    const uint32_t values[] = {0, 1, 0x7F, 0x80, 0xFF};
    for (size_t offset = 0; offset < kSectionFile; ++offset)
        for (uint32_t value : values) {
            Bytes damaged = image;
            damaged[offset] = (unsigned char)value;
            size_t before = damaged.size();
            int result = AlignResourceSection(&damaged, &error);
            EXPECT_EQ(result == 1, damaged.size() > before) << offset;
        }
}

// Every byte counts: a change anywhere, a byte more or less, and the signature no
// longer covers the file (AddressSanitizer watches the reading of the damaged ones).
TEST(PeSignature, AnyChangedByteBreaksTheSignature)
{
    Bytes image = MakeImage("Z", Text("license"), Text("archive"));
    SignatureFacts facts;
    std::string error;
    EXPECT_EQ(0, CheckSignature(image, &facts, &error));
    Bytes signedImage = SignedImage(image);
    ASSERT_GT(signedImage.size(), image.size());
    ASSERT_EQ(1, CheckSignature(signedImage, &facts, &error)) << error;
    EXPECT_EQ("CN=Arbolix Test", facts.signer);
    EXPECT_EQ("sha256", facts.algorithm);
    EXPECT_EQ(64u, facts.digest.size());

    for (size_t offset = 0; offset < signedImage.size(); ++offset) {
        Bytes changed = signedImage;
        changed[offset] ^= 0x01;
        EXPECT_EQ(-1, CheckSignature(changed, &facts, &error)) << offset;
    }
    Bytes payload = signedImage;
    payload[kSectionFile + 0x100] ^= 0x01;
    CheckSignature(payload, &facts, &error);
    EXPECT_EQ(0u, error.find("the signature does not cover the file as it is: its sha256 digest is ")) << error;
    Bytes longer = signedImage;
    longer.push_back(0);
    EXPECT_EQ(-1, CheckSignature(longer, &facts, &error));
    EXPECT_EQ("the file goes on for 1 byte after its signature, which does not cover them", error);
    for (size_t size = image.size(); size < signedImage.size(); ++size)
        EXPECT_EQ(-1, CheckSignature(Bytes(signedImage.begin(), signedImage.begin() + size), &facts, &error)) << size;
}
