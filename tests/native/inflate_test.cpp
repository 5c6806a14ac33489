#include <gtest/gtest.h>
#include <zlib.h>

#include "payload/decompress.h"
#include "zlib_streams.h"

static int Inflate(const Bytes& stream, Bytes* out, unsigned long* produced)
{
    *produced = out->size();
    return InflateWholeBuffer(out->data(), produced, stream.data(), stream.size());
}

TEST(InflateWholeBuffer, AcceptsZlibAndGzipWrappers)
{
    Bytes data = PatternBytes(5000);
    for (Wrapper wrapper : {Wrapper::Zlib, Wrapper::Gzip}) {
        Bytes out(data.size());
        unsigned long produced;
        EXPECT_EQ(Z_OK, Inflate(Compress(data, wrapper), &out, &produced));
        EXPECT_EQ(data.size(), produced);
        EXPECT_EQ(data, out);
    }
}

TEST(InflateWholeBuffer, RejectsRawDeflate)
{
    Bytes out(100);
    unsigned long produced;
    EXPECT_EQ(Z_DATA_ERROR, Inflate(Compress(PatternBytes(100), Wrapper::Raw), &out, &produced));
    EXPECT_EQ(100u, produced);  // left unchanged on failure
}

TEST(InflateWholeBuffer, TooSmallDestinationIsBufError)
{
    Bytes out(999);
    unsigned long produced;
    EXPECT_EQ(Z_BUF_ERROR, Inflate(Compress(PatternBytes(50000), Wrapper::Zlib), &out, &produced));
    EXPECT_EQ(999u, produced);
}

TEST(InflateWholeBuffer, TruncatedStreamIsDataError)
{
    Bytes stream = Compress(PatternBytes(5000), Wrapper::Zlib);
    stream.resize(stream.size() / 2);
    Bytes out(5000);
    unsigned long produced;
    EXPECT_EQ(Z_DATA_ERROR, Inflate(stream, &out, &produced));
}

TEST(InflateWholeBuffer, StreamAskingForADictionaryIsDataError)
{
    z_stream stream = {};
    deflateInit(&stream, 9);
    const unsigned char dictionary[] = "family tree";
    deflateSetDictionary(&stream, dictionary, sizeof dictionary - 1);
    Bytes data = PatternBytes(300), compressed(1000);
    stream.next_in = data.data();
    stream.avail_in = (uInt)data.size();
    stream.next_out = compressed.data();
    stream.avail_out = (uInt)compressed.size();
    deflate(&stream, Z_FINISH);
    compressed.resize(stream.total_out);
    deflateEnd(&stream);

    Bytes out(300);
    unsigned long produced;
    EXPECT_EQ(Z_DATA_ERROR, Inflate(compressed, &out, &produced));
}

TEST(InflateWholeBuffer, CorruptStreamIsDataError)
{
    Bytes stream = Compress(PatternBytes(5000), Wrapper::Zlib);
    stream[stream.size() / 2] ^= 0xFF;
    stream[stream.size() / 2 + 1] ^= 0x55;
    Bytes out(5000);
    unsigned long produced;
    EXPECT_NE(Z_OK, Inflate(stream, &out, &produced));
}

TEST(UnpackPiece, EqualSizesCopyTheBytesUnexamined)
{
    Bytes stream = Compress(PatternBytes(2000), Wrapper::Zlib);
    Bytes out(stream.size());
    EXPECT_EQ(1, UnpackPiece(stream.data(), stream.size(), out.data(), out.size()));
    EXPECT_EQ(stream, out);
}

TEST(UnpackPiece, EmptyPieceSucceedsWithoutTouchingAnything)
{
    EXPECT_EQ(1, UnpackPiece(nullptr, 0, nullptr, 0));
}

TEST(UnpackPiece, InflatesADeflatedPiece)
{
    Bytes data = PatternBytes(70000);
    for (Wrapper wrapper : {Wrapper::Zlib, Wrapper::Gzip}) {
        Bytes stream = Compress(data, wrapper);
        Bytes out(data.size());
        EXPECT_EQ(1, UnpackPiece(stream.data(), stream.size(), out.data(), out.size()));
        EXPECT_EQ(data, out);
    }
}

TEST(UnpackPiece, RejectsStreamsTooLongTooShortOrCut)
{
    Bytes data = PatternBytes(4000);
    Bytes stream = Compress(data, Wrapper::Zlib);
    Bytes tooSmall(3999), tooLarge(4001);
    EXPECT_EQ(0, UnpackPiece(stream.data(), stream.size(), tooSmall.data(), tooSmall.size()));
    // A stream that ends before filling its size would leave unwritten bytes in the file.
    EXPECT_EQ(0, UnpackPiece(stream.data(), stream.size(), tooLarge.data(), tooLarge.size()));
    Bytes out(4000);
    EXPECT_EQ(0, UnpackPiece(stream.data(), stream.size() - 5, out.data(), out.size()));
}

// Inflates a piece in chunks of capacity bytes: the bytes made and the last status.
static int InflateInChunks(const Bytes& stream, unsigned long size, unsigned long capacity, Bytes* out)
{
    PieceInflater piece;
    int status = StartPiece(&piece, stream.data(), stream.size(), size);
    Bytes chunk(capacity);
    while (status == kPieceMore) {
        unsigned long length = 0;
        status = InflateChunk(&piece, chunk.data(), capacity, &length);
        out->insert(out->end(), chunk.begin(), chunk.begin() + length);
    }
    EndPiece(&piece);
    return status;
}

TEST(InflateChunk, ChunksOfAnySizeMakeTheWholePieceUnderUnpackPiecesRules)
{
    Bytes data = PatternBytes(10000);
    for (Wrapper wrapper : {Wrapper::Zlib, Wrapper::Gzip}) {
        Bytes stream = Compress(data, wrapper);
        // Smaller than, exactly, and larger than the piece; one byte at a time too.
        for (unsigned long capacity : {1ul, 4096ul, 9999ul, 10000ul, 10001ul, 65536ul}) {
            Bytes out;
            EXPECT_EQ(kPieceDone, InflateInChunks(stream, data.size(), capacity, &out)) << capacity;
            EXPECT_EQ(data, out) << capacity;
        }
        struct Case {
            unsigned long size;
            size_t cut;
        } failing[] = {{9999, 0}, {10001, 0}, {10000, 5}, {10000, stream.size() / 2}};
        for (const Case& c : failing) {
            Bytes cut(stream.begin(), stream.end() - c.cut), out;
            EXPECT_EQ(kPieceFailed, InflateInChunks(cut, c.size, 4096, &out)) << c.size << " " << c.cut;
        }
    }
    Bytes empty = Compress(Bytes(), Wrapper::Zlib), out;
    EXPECT_EQ(kPieceDone, InflateInChunks(empty, 0, 4096, &out));
    EXPECT_EQ(kPieceFailed, InflateInChunks(Compress(data, Wrapper::Raw), data.size(), 4096, &out));
}

extern "C" unsigned long compact_crc32_z(unsigned long crc, const unsigned char* buf, size_t len);

// The Windows programs' CRC-32 (eight bytes a step) gives zlib's results from any start,
// for any length, continued from any earlier value.
TEST(CompactCrc32, SameAsZlibsForAnyStartLengthAndEarlierValue)
{
    Bytes data = PatternBytes(300);
    for (unsigned long earlier : {0ul, 0xdeadbeeful, 0xfffffffful})
        for (size_t start = 0; start < 4; ++start)
            for (size_t length = 0; start + length <= data.size(); length += 1 + length / 16)
                ASSERT_EQ(crc32(earlier, &data[start], (uInt)length), compact_crc32_z(earlier, &data[start], length))
                    << start << " " << length;
    EXPECT_EQ(0ul, compact_crc32_z(0x1234, nullptr, 10));
}
