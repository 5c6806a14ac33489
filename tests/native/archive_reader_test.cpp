#include <gtest/gtest.h>
#include <string.h>

#include <random>
#include <string>
#include <vector>

#include "payload/archive_format.h"
#include "payload/archive_reader.h"
#include "payload/decompress.h"
#include "payload/little_endian.h"
#include "tools/pack/archive_writer.h"
#include "zlib_streams.h"

// The archive in a heap block of exactly its size, so that AddressSanitizer
// catches any read past its end.
struct ExactBytes {
    explicit ExactBytes(const Bytes& bytes) : size(bytes.size())
    {
        data = (unsigned char*)malloc(size ? size : 1);
        if (size) memcpy(data, bytes.data(), size);
    }
    ~ExactBytes() { free(data); }
    unsigned char* data;
    size_t size;
};

static PackEntry Entry(const std::string& name, const Bytes& data, PieceStorage storage,
                       uint32_t flags = kLogForUninstall)
{
    PackEntry entry;
    entry.flags = flags;
    entry.name = name;
    entry.sourceAttributes = kShippedSourceAttributes;
    entry.creationTime = 0x01D0000011111111ULL;
    entry.lastAccessTime = 0x01D0000022222222ULL;
    entry.lastWriteTime = 0x01D0000033333333ULL;
    entry.storage = storage;
    entry.data = data;
    return entry;
}

// Every entry the reader gives, with its unpacked bytes; "" when it does not open.
struct ReadResult {
    bool opened = false;
    std::vector<DirectoryEntry> entries;
    std::vector<size_t> entryOffsets;  // of the following entry, after each step
    std::vector<size_t> dataOffsets;
    std::vector<Bytes> contents;
    std::vector<std::string> names;
};

static ReadResult ReadAll(const Bytes& archive)
{
    ReadResult result;
    ExactBytes bytes(archive);
    ArchiveReader reader;
    if (!OpenArchiveBytes(&reader, bytes.data, bytes.size))
        return result;
    result.opened = true;
    DirectoryEntry entry;
    while (NextArchiveEntry(&reader, &entry)) {
        result.entries.push_back(entry);
        result.entryOffsets.push_back(reader.entryOffset);
        result.dataOffsets.push_back(reader.dataOffset);
        result.names.push_back(entry.name);
        Bytes content(entry.size);
        if (UnpackPiece(entry.data, entry.storedSize, content.data(), entry.size))
            result.contents.push_back(content);
        else
            result.contents.push_back(ToBytes("<corrupt>"));
    }
    EXPECT_EQ(0, NextArchiveEntry(&reader, &entry)) << "the end stays the end";
    CloseArchive(&reader);
    EXPECT_EQ(nullptr, reader.directory);
    return result;
}

TEST(ArchiveReader, ElevenCharacterNameIsFollowedByTheNextEntryAtOffset52)
{
    Bytes exe = PatternBytes(3000);
    std::vector<PackEntry> entries = {Entry("Arbolix.exe", exe, PieceStorage::Zlib),
                                      Entry("Uninstall.exe", PatternBytes(500), PieceStorage::Zlib),
                                      Entry("SampleFiles\\A.abx", ToBytes("<tree/>"), PieceStorage::Stored)};
    ReadResult result = ReadAll(BuildArchive(entries));
    ASSERT_TRUE(result.opened);
    ASSERT_EQ(3u, result.entries.size());
    EXPECT_EQ(52u, result.entryOffsets[0]);
    // 13 characters: the name ends with its NUL at 52 + 54, two bytes of padding follow.
    EXPECT_EQ(52u + 56u, result.entryOffsets[1]);
    EXPECT_EQ("Arbolix.exe", result.names[0]);
    EXPECT_EQ("Uninstall.exe", result.names[1]);
    EXPECT_EQ(exe, result.contents[0]);
    EXPECT_EQ(ToBytes("<tree/>"), result.contents[2]);
}

TEST(ArchiveReader, DirectoryPaddingIsZeroAndNamesSitAtOffset40)
{
    std::vector<PackEntry> entries = {Entry("Arbolix.exe", PatternBytes(10), PieceStorage::Stored),
                                      Entry("Uninstall.exe", PatternBytes(10), PieceStorage::Stored)};
    Bytes directory = BuildDirectory(entries, {10, 10}, true);
    ASSERT_EQ(52u + 56u + 4u, directory.size());
    EXPECT_EQ(0, memcmp(directory.data() + 40, "Arbolix.exe", 12));
    EXPECT_EQ(0, memcmp(directory.data() + 52 + 40, "Uninstall.exe", 14));
    EXPECT_EQ(0, directory[52 + 54]);
    EXPECT_EQ(0, directory[52 + 55]);
    EXPECT_EQ(0u, ReadWord32(directory.data() + 108));
}

TEST(ArchiveReader, VersionGatedNameStartsAt48AfterTheMinimumVersion)
{
    PackEntry gated = Entry("mfc42.dll", PatternBytes(700), PieceStorage::Zlib,
                            kVersionGated | kInSystemDirectory);
    gated.minimumVersionMS = 0x00060002;
    gated.minimumVersionLS = 0x20EE0000;
    std::vector<PackEntry> entries = {Entry("a.txt", ToBytes("abc"), PieceStorage::Stored), gated};
    ExactBytes bytes(BuildArchive(entries, PackOptions{PieceStorage::Stored, true}));
    ArchiveReader reader;
    ASSERT_EQ(1, OpenArchiveBytes(&reader, bytes.data, bytes.size));
    DirectoryEntry entry;
    ASSERT_EQ(1, NextArchiveEntry(&reader, &entry));
    EXPECT_EQ(0u, entry.minimumVersionMS);
    size_t second = reader.entryOffset;
    EXPECT_EQ(48u, second);  // align4(40 + 5 + 1)
    ASSERT_EQ(1, NextArchiveEntry(&reader, &entry));
    EXPECT_EQ((const char*)reader.directory + second + 48, entry.name);
    EXPECT_STREQ("mfc42.dll", entry.name);
    EXPECT_EQ(0x00060002u, entry.minimumVersionMS);
    EXPECT_EQ(0x20EE0000u, entry.minimumVersionLS);
    EXPECT_EQ(kVersionGated | kInSystemDirectory, entry.flags);
    EXPECT_EQ(second + 60, reader.entryOffset);  // align4(48 + 9 + 1)
    EXPECT_EQ(0, NextArchiveEntry(&reader, &entry));
    CloseArchive(&reader);
}

TEST(ArchiveReader, EveryEntryMovesTheDataPositionByItsAlignedStoredSize)
{
    PackEntry prerequisite = Entry("InstallMfcDLL.exe", Bytes(), PieceStorage::Stored, kVersionGated);
    prerequisite.minimumVersionMS = 0x00060000;
    std::vector<PackEntry> entries = {Entry("one", ToBytes("12345"), PieceStorage::Stored),
                                      prerequisite,
                                      Entry("two", ToBytes("678"), PieceStorage::Stored),
                                      Entry("empty", Bytes(), PieceStorage::Zlib),
                                      Entry("three", ToBytes("9"), PieceStorage::Stored)};
    Bytes archive = BuildArchive(entries, PackOptions{PieceStorage::Stored, true});
    uint32_t start = 8 + Align4(ReadWord32(archive.data()));
    ReadResult result = ReadAll(archive);
    ASSERT_EQ(5u, result.entries.size());
    EXPECT_EQ(start + 8, result.dataOffsets[0]);
    EXPECT_EQ(start + 8, result.dataOffsets[1]);  // stored size 0 takes no room
    EXPECT_EQ(0u, result.entries[1].storedSize);
    EXPECT_EQ(start + 12, result.dataOffsets[2]);
    EXPECT_EQ(start + 12, result.dataOffsets[3]);
    EXPECT_EQ(start + 16, result.dataOffsets[4]);
    EXPECT_EQ(archive.size(), result.dataOffsets[4]);  // the padded last piece ends the archive
    EXPECT_EQ(ToBytes("678"), result.contents[2]);
    EXPECT_EQ(Bytes(), result.contents[3]);
    EXPECT_EQ(ToBytes("9"), result.contents[4]);
}

TEST(ArchiveReader, FirstFlagsWordOfZeroEndsAtOnce)
{
    // Bytes after the end marker are never looked at, even when they are not an entry.
    Bytes directory = {0, 0, 0, 0, 0xFF, 0xFF, 0xFF};
    Bytes archive = {7, 0, 0, 0, 7, 0, 0, 0};
    archive.insert(archive.end(), directory.begin(), directory.end());
    ReadResult result = ReadAll(archive);
    EXPECT_TRUE(result.opened);
    EXPECT_TRUE(result.entries.empty());
}

TEST(ArchiveReader, DirectoryWithEqualSizesIsCopiedEvenWhenItLooksDeflated)
{
    // Flags 0x9C78 make the directory start with a zlib header's two bytes.
    Bytes data = ToBytes("data");
    PackEntry entry = Entry("x", data, PieceStorage::Stored, 0x9C78);
    std::vector<PackEntry> entries = {entry};
    Bytes archive = BuildArchive(entries, PackOptions{PieceStorage::Stored, true});
    EXPECT_EQ(ReadWord32(archive.data()), ReadWord32(archive.data() + 4));
    EXPECT_EQ(0x78, archive[8]);
    EXPECT_EQ(0x9C, archive[9]);
    ReadResult result = ReadAll(archive);
    ASSERT_EQ(1u, result.entries.size());
    EXPECT_EQ(0x9C78u, result.entries[0].flags);
    EXPECT_EQ(data, result.contents[0]);
}

TEST(ArchiveReader, GzipDirectoryAndPiecesAreRead)
{
    Bytes data = PatternBytes(4000);
    std::vector<PackEntry> entries;
    for (int i = 0; i < 6; ++i)
        entries.push_back(Entry("SampleFiles\\Tree" + std::to_string(i) + ".abx", data, PieceStorage::Gzip));
    Bytes archive = BuildArchive(entries, PackOptions{PieceStorage::Gzip, true});
    EXPECT_EQ(0x1F, archive[8]);
    ReadResult result = ReadAll(archive);
    ASSERT_EQ(6u, result.entries.size());
    EXPECT_LT(result.entries[0].storedSize, result.entries[0].size);
    EXPECT_EQ(data, result.contents[0]);
    EXPECT_EQ(0x2820u, result.entries[0].sourceAttributes);
    EXPECT_EQ(0x11111111u, result.entries[0].creationTime.low);
    EXPECT_EQ(0x01D00000u, result.entries[0].creationTime.high);
    EXPECT_EQ(0x22222222u, result.entries[0].lastAccessTime.low);
    EXPECT_EQ(0x33333333u, result.entries[0].lastWriteTime.low);
}

// Malformed archives: each is refused at open, and nothing is read outside it.
static Bytes ArchiveWithDirectory(const Bytes& directory, const Bytes& data)
{
    Bytes archive(8);
    WriteWord32(archive.data(), (uint32_t)directory.size());
    WriteWord32(archive.data() + 4, (uint32_t)directory.size());
    archive.insert(archive.end(), directory.begin(), directory.end());
    while (archive.size() % 4) archive.push_back(0);
    archive.insert(archive.end(), data.begin(), data.end());
    return archive;
}

static std::vector<PackEntry> TwoEntries()
{
    return {Entry("Arbolix.exe", ToBytes("program"), PieceStorage::Stored),
            Entry("SampleFiles\\Smith.abx", ToBytes("family"), PieceStorage::Stored)};
}

TEST(ArchiveReaderMalformed, DirectoryWithoutItsEndMarkerIsRefused)
{
    Bytes directory = BuildDirectory(TwoEntries(), {7, 6}, false);
    EXPECT_FALSE(ReadAll(ArchiveWithDirectory(directory, ToBytes(std::string("program\0family\0\0", 16)))).opened);
    // The same directory with its marker opens: the marker was the only fault.
    directory = BuildDirectory(TwoEntries(), {7, 6}, true);
    EXPECT_TRUE(ReadAll(ArchiveWithDirectory(directory, Bytes(16))).opened);
}

TEST(ArchiveReaderMalformed, EndMarkerCutShortIsRefused)
{
    Bytes directory = BuildDirectory(TwoEntries(), {7, 6}, true);
    for (size_t cut = 1; cut <= 3; ++cut) {
        Bytes shorter(directory.begin(), directory.end() - cut);
        EXPECT_FALSE(ReadAll(ArchiveWithDirectory(shorter, Bytes(16))).opened) << cut;
    }
}

TEST(ArchiveReaderMalformed, EntryOrNameRunningPastTheDirectoryIsRefused)
{
    Bytes full = BuildDirectory(TwoEntries(), {7, 6}, true);
    // Every cut inside the last entry, from its flags word to its name's NUL.
    for (size_t size = 52; size < full.size() - 4; ++size) {
        Bytes directory(full.begin(), full.begin() + size);
        EXPECT_FALSE(ReadAll(ArchiveWithDirectory(directory, Bytes(16))).opened) << size;
    }
    // A name whose NUL is missing, the directory ending in the name.
    Bytes noNul(full.begin(), full.begin() + 40 + 11);
    EXPECT_FALSE(ReadAll(ArchiveWithDirectory(noNul, Bytes(8))).opened);
    // A version-gated entry with no room for its version.
    Bytes gated(40, 0);
    WriteWord32(gated.data(), kVersionGated);
    gated.push_back('a');
    gated.push_back(0);
    EXPECT_FALSE(ReadAll(ArchiveWithDirectory(gated, Bytes())).opened);
}

TEST(ArchiveReaderMalformed, StoredBytesPastTheResourceAreRefused)
{
    Bytes directory = BuildDirectory(TwoEntries(), {7, 6}, true);
    Bytes data = ToBytes(std::string("program\0family", 14));
    EXPECT_TRUE(ReadAll(ArchiveWithDirectory(directory, data)).opened);  // unpadded last piece
    data.pop_back();
    EXPECT_FALSE(ReadAll(ArchiveWithDirectory(directory, data)).opened);
    // A stored size near 4 GB must not wrap the data position around.
    directory = BuildDirectory(TwoEntries(), {0xFFFFFFFF, 6}, true);
    EXPECT_FALSE(ReadAll(ArchiveWithDirectory(directory, Bytes(64))).opened);
    directory = BuildDirectory(TwoEntries(), {0xFFFFFFFD, 0}, true);
    EXPECT_FALSE(ReadAll(ArchiveWithDirectory(directory, Bytes(64))).opened);
}

TEST(ArchiveReaderMalformed, HeaderAndDirectoryFaultsAreRefused)
{
    EXPECT_FALSE(ReadAll(Bytes()).opened);
    EXPECT_FALSE(ReadAll(Bytes(7)).opened);
    EXPECT_FALSE(ReadAll(Bytes(8)).opened);  // empty directory: no end marker
    // Directory stored size beyond the resource.
    Bytes archive = ArchiveWithDirectory(Bytes(4), Bytes());
    WriteWord32(archive.data(), 5);
    EXPECT_FALSE(ReadAll(archive).opened);
    // Corrupt, short and overlong directory streams.
    Bytes directory = BuildDirectory(TwoEntries(), {0, 0}, true);
    Bytes stream = Compress(directory, Wrapper::Zlib);
    for (int fault = 0; fault < 4; ++fault) {
        Bytes bad = stream;
        uint32_t size = (uint32_t)directory.size();
        if (fault == 0) bad[bad.size() / 2] ^= 0x55;
        if (fault == 1) bad.resize(bad.size() - 5);
        if (fault == 2) size -= 1;
        if (fault == 3) size += 1;
        Bytes broken(8);
        WriteWord32(broken.data(), (uint32_t)bad.size());
        WriteWord32(broken.data() + 4, size);
        broken.insert(broken.end(), bad.begin(), bad.end());
        EXPECT_FALSE(ReadAll(broken).opened) << fault;
    }
    // A raw deflate directory is not accepted.
    Bytes raw = Compress(directory, Wrapper::Raw);
    Bytes rawArchive(8);
    WriteWord32(rawArchive.data(), (uint32_t)raw.size());
    WriteWord32(rawArchive.data() + 4, (uint32_t)directory.size());
    rawArchive.insert(rawArchive.end(), raw.begin(), raw.end());
    EXPECT_FALSE(ReadAll(rawArchive).opened);
}

TEST(ArchiveReaderMalformed, ImpossibleDirectorySizeIsRefusedWithoutAllocatingIt)
{
    // 16 stored bytes cannot inflate to 4 GB; AddressSanitizer would fail the
    // allocation loudly if the reader tried.
    Bytes archive(8 + 16, 0x11);
    WriteWord32(archive.data(), 16);
    WriteWord32(archive.data() + 4, 0xFFFFFFF0);
    EXPECT_FALSE(ReadAll(archive).opened);
}

TEST(ArchiveReaderMalformed, EveryPrefixOfAnArchiveIsEitherRefusedOrReadInBounds)
{
    Bytes archive = BuildArchive(TwoEntries());
    ReadResult whole = ReadAll(archive);
    ASSERT_TRUE(whole.opened);
    for (size_t size = 0; size < archive.size(); ++size) {
        Bytes prefix(archive.begin(), archive.begin() + size);
        ReadResult result = ReadAll(prefix);
        // Only the missing padding of the last piece may go.
        EXPECT_EQ(size >= archive.size() - 2, result.opened) << size;
    }
}

TEST(ArchiveReaderMalformed, ClosedOrFailedReaderHoldsNothing)
{
    ArchiveReader reader;
    memset(&reader, 0xAB, sizeof reader);
    Bytes junk(12, 0xEE);
    ExactBytes bytes(junk);
    EXPECT_EQ(0, OpenArchiveBytes(&reader, bytes.data, bytes.size));
    EXPECT_EQ(nullptr, reader.directory);
    DirectoryEntry entry;
    EXPECT_EQ(0, NextArchiveEntry(&reader, &entry));
    CloseArchive(&reader);
    CloseArchive(&reader);
}

// Packer to reader over many generated manifests.
TEST(ArchiveRoundTrip, GeneratedArchivesReadBackExactly)
{
    std::mt19937 random(20261208);
    const PieceStorage storages[] = {PieceStorage::Zlib, PieceStorage::Gzip, PieceStorage::Stored};
    for (int round = 0; round < 150; ++round) {
        std::vector<PackEntry> entries;
        int count = (int)(random() % 9);
        for (int i = 0; i < count; ++i) {
            PackEntry entry;
            uint32_t flagChoices[] = {kLogForUninstall, kLogForUninstall | kInSystemDirectory,
                                      kVersionGated, kVersionGated | kLogForUninstall, 0x80000000u};
            entry.flags = flagChoices[random() % 5];
            size_t nameLength = 1 + random() % 40;
            for (size_t c = 0; c < nameLength; ++c)
                entry.name.push_back("abcXYZ019 _.\\\xE9"[random() % 14]);
            entry.sourceAttributes = (uint32_t)random();
            entry.creationTime = (uint64_t)random() << 32 | random();
            entry.lastAccessTime = (uint64_t)random() << 32 | random();
            entry.lastWriteTime = (uint64_t)random() << 32 | random();
            entry.minimumVersionMS = (uint32_t)random();
            entry.minimumVersionLS = (uint32_t)random();
            size_t size = random() % 4 == 0 ? random() % 4 : random() % 6000;
            entry.data.resize(size);
            bool compressible = random() % 2;
            for (size_t b = 0; b < size; ++b)
                entry.data[b] = compressible ? (unsigned char)("abxyz"[random() % 5]) : (unsigned char)random();
            entry.storage = storages[random() % 3];
            entries.push_back(entry);
        }
        PackOptions options;
        options.directoryStorage = storages[random() % 3];
        Bytes archive = BuildArchive(entries, options);
        ASSERT_EQ(0u, archive.size() % 4);
        ReadResult result = ReadAll(archive);
        ASSERT_TRUE(result.opened) << round;
        ASSERT_EQ(entries.size(), result.entries.size()) << round;
        for (size_t i = 0; i < entries.size(); ++i) {
            const PackEntry& want = entries[i];
            const DirectoryEntry& got = result.entries[i];
            EXPECT_EQ(want.flags, got.flags);
            EXPECT_EQ(want.name, result.names[i]);
            EXPECT_EQ(want.data.size(), got.size);
            EXPECT_EQ(want.data, result.contents[i]) << round << " " << i;
            EXPECT_EQ(want.sourceAttributes, got.sourceAttributes);
            EXPECT_EQ(want.creationTime, (uint64_t)got.creationTime.high << 32 | got.creationTime.low);
            EXPECT_EQ(want.lastAccessTime, (uint64_t)got.lastAccessTime.high << 32 | got.lastAccessTime.low);
            EXPECT_EQ(want.lastWriteTime, (uint64_t)got.lastWriteTime.high << 32 | got.lastWriteTime.low);
            bool gated = want.flags & kVersionGated;
            EXPECT_EQ(gated ? want.minimumVersionMS : 0u, got.minimumVersionMS);
            EXPECT_EQ(gated ? want.minimumVersionLS : 0u, got.minimumVersionLS);
            // Deflated only where that is strictly smaller; never as long as the data.
            if (want.storage == PieceStorage::Stored) EXPECT_EQ(got.size, got.storedSize);
            else EXPECT_LE(got.storedSize, got.size);
        }
        if (!entries.empty())
            EXPECT_EQ(archive.size(), result.dataOffsets.back());
    }
}

TEST(ArchiveWriter, PieceIsStoredWhenDeflateDoesNotMakeItSmaller)
{
    Bytes noise(64);
    std::mt19937 random(7);
    for (unsigned char& b : noise) b = (unsigned char)random();
    StoredPiece piece = StorePiece(noise, PieceStorage::Zlib);
    EXPECT_EQ(noise, piece.bytes);
    EXPECT_EQ(64u, piece.size);
    StoredPiece empty = StorePiece(Bytes(), PieceStorage::Gzip);
    EXPECT_TRUE(empty.bytes.empty());
    // Data whose stream is exactly as long as itself (13 letters, then noise) must
    // be stored: kept deflated, the reader would take it for stored bytes.
    Bytes data;
    for (unsigned seed = 1; seed < 50 && data.empty(); ++seed) {
        for (size_t size = 39; size < 300; ++size) {
            std::mt19937 bits(seed);
            Bytes candidate(size);
            for (size_t i = 0; i < size; ++i)
                candidate[i] = (unsigned char)(i < size / 3 ? 'a' : bits());
            if (DeflateStream(candidate, StreamWrapper::Zlib).size() == size) {
                data = candidate;
                break;
            }
        }
    }
    ASSERT_FALSE(data.empty()) << "no data found whose stream is as long as itself";
    StoredPiece equal = StorePiece(data, PieceStorage::Zlib);
    EXPECT_EQ(data, equal.bytes);
    EXPECT_EQ(data.size(), equal.size);
}
