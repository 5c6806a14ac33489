#include "tools/pack/archive_writer.h"

#include "payload/archive_format.h"
#include "payload/little_endian.h"

static void AppendWord(Bytes* out, uint32_t value)
{
    unsigned char word[4];
    WriteWord32(word, value);
    out->insert(out->end(), word, word + 4);
}

static void PadToWord(Bytes* out)
{
    while (out->size() % 4)
        out->push_back(0);
}

static void WriteTime(unsigned char* p, uint64_t time)
{
    WriteWord32(p, (uint32_t)time);
    WriteWord32(p + 4, (uint32_t)(time >> 32));
}

// A stream of data shorter than the data itself, or empty: equal sizes mean stored to
// the reader, so an equally long stream cannot be kept.
static Bytes SmallerStream(const Bytes& data, PieceStorage storage, bool exhaustive)
{
    if (storage != PieceStorage::Zlib && storage != PieceStorage::Gzip)
        return Bytes();
    StreamWrapper wrapper = storage == PieceStorage::Gzip ? StreamWrapper::Gzip : StreamWrapper::Zlib;
    return DeflateStream(data, wrapper, exhaustive, data.size());
}

StoredPiece StorePiece(const Bytes& data, PieceStorage storage, bool exhaustive)
{
    StoredPiece piece;
    piece.size = (uint32_t)data.size();
    piece.bytes = SmallerStream(data, storage, exhaustive);
    if (piece.bytes.empty())
        piece.bytes = data;
    return piece;
}

StoredPiece TakeEntryPiece(PackEntry* entry, bool exhaustive)
{
    StoredPiece piece;
    piece.size = entry->storage == PieceStorage::Verbatim ? entry->verbatimSize : (uint32_t)entry->data.size();
    piece.bytes = SmallerStream(entry->data, entry->storage, exhaustive);
    if (piece.bytes.empty())
        piece.bytes.swap(entry->data);
    Bytes().swap(entry->data);
    return piece;
}

// The directory with each entry's stored size and size given apart: the entries'
// data may already have gone into their pieces.
static Bytes DirectoryOf(const std::vector<PackEntry>& entries, const std::vector<uint32_t>& storedSizes,
                         const std::vector<uint32_t>& sizes, bool endMarker)
{
    Bytes directory;
    for (size_t i = 0; i < entries.size(); ++i) {
        const PackEntry& entry = entries[i];
        bool gated = entry.flags & kVersionGated;
        size_t start = directory.size();
        size_t nameOffset = gated ? kEntryGatedNameOffset : kEntryNameOffset;
        directory.resize(start + nameOffset);
        unsigned char* record = directory.data() + start;
        WriteWord32(record + kEntryFlagsOffset, entry.flags);
        WriteWord32(record + kEntryStoredSizeOffset, storedSizes[i]);
        WriteWord32(record + kEntrySizeOffset, sizes[i]);
        WriteWord32(record + kEntryAttributesOffset, entry.sourceAttributes);
        WriteTime(record + kEntryCreationTimeOffset, entry.creationTime);
        WriteTime(record + kEntryLastAccessTimeOffset, entry.lastAccessTime);
        WriteTime(record + kEntryLastWriteTimeOffset, entry.lastWriteTime);
        if (gated) {
            WriteWord32(record + kEntryMinimumVersionOffset, entry.minimumVersionMS);
            WriteWord32(record + kEntryMinimumVersionOffset + 4, entry.minimumVersionLS);
        }
        directory.insert(directory.end(), entry.name.begin(), entry.name.end());
        directory.push_back(0);
        PadToWord(&directory);
    }
    if (endMarker)
        AppendWord(&directory, 0);
    return directory;
}

Bytes BuildDirectory(const std::vector<PackEntry>& entries,
                     const std::vector<uint32_t>& storedSizes, bool endMarker)
{
    std::vector<uint32_t> sizes;
    for (const PackEntry& entry : entries)
        sizes.push_back(entry.storage == PieceStorage::Verbatim ? entry.verbatimSize : (uint32_t)entry.data.size());
    return DirectoryOf(entries, storedSizes, sizes, endMarker);
}

StoredPiece DirectoryPiece(const std::vector<PackEntry>& entries, const std::vector<StoredPiece>& pieces,
                           const PackOptions& options)
{
    std::vector<uint32_t> storedSizes, sizes;
    for (const StoredPiece& piece : pieces) {
        storedSizes.push_back((uint32_t)piece.bytes.size());
        sizes.push_back(piece.size);
    }
    return StorePiece(DirectoryOf(entries, storedSizes, sizes, options.endMarker), options.directoryStorage,
                      options.exhaustive);
}

uint64_t ArchiveSize(const StoredPiece& directory, const std::vector<StoredPiece>& pieces)
{
    uint64_t size = kArchiveHeaderSize + Align4((uint32_t)directory.bytes.size());
    for (const StoredPiece& piece : pieces)
        size += ((uint64_t)piece.bytes.size() + 3) & ~(uint64_t)3;
    return size;
}

static void EmitPadded(const Bytes& bytes, ArchiveSink sink, void* context)
{
    static const unsigned char kZeros[3] = {0, 0, 0};
    sink(context, bytes.data(), bytes.size());
    if (bytes.size() % 4)
        sink(context, kZeros, 4 - bytes.size() % 4);
}

void EmitArchive(const StoredPiece& directory, const std::vector<StoredPiece>& pieces, ArchiveSink sink,
                 void* context)
{
    unsigned char header[kArchiveHeaderSize];
    WriteWord32(header + kArchiveDirectoryStoredSizeOffset, (uint32_t)directory.bytes.size());
    WriteWord32(header + kArchiveDirectorySizeOffset, directory.size);
    sink(context, header, sizeof header);
    EmitPadded(directory.bytes, sink, context);
    for (const StoredPiece& piece : pieces)
        EmitPadded(piece.bytes, sink, context);
}

static void AppendToBytes(void* context, const unsigned char* bytes, size_t size)
{
    Bytes* out = (Bytes*)context;
    out->insert(out->end(), bytes, bytes + size);
}

Bytes BuildArchive(const std::vector<PackEntry>& entries, const PackOptions& options)
{
    std::vector<StoredPiece> pieces;
    for (const PackEntry& entry : entries) {
        PackEntry copy = entry;
        pieces.push_back(TakeEntryPiece(&copy, options.exhaustive));
    }
    Bytes archive;
    EmitArchive(DirectoryPiece(entries, pieces, options), pieces, AppendToBytes, &archive);
    return archive;
}

uint64_t FileTimeFromUnix(int64_t seconds)
{
    // 1601-01-01 to 1970-01-01 in seconds; FILETIME counts 100-nanosecond intervals.
    return (uint64_t)(seconds + 11644473600LL) * 10000000ULL;
}
