#include "tools/pack/archive_writer.h"

#include "payload/archive_format.h"
#include "payload/little_endian.h"

static void AppendWord(Bytes* out, uint32_t value)
{
    unsigned char word[4];
    WriteWord32(word, value);
    out->insert(out->end(), word, word + 4);
}

static void WriteTime(unsigned char* p, uint64_t time)
{
    WriteWord32(p, (uint32_t)time);
    WriteWord32(p + 4, (uint32_t)(time >> 32));
}

static void PadToWord(Bytes* out)
{
    while (out->size() % 4)
        out->push_back(0);
}

StoredPiece StorePiece(const Bytes& data, PieceStorage storage, bool exhaustive)
{
    StoredPiece piece;
    piece.size = (uint32_t)data.size();
    if (storage == PieceStorage::Zlib || storage == PieceStorage::Gzip) {
        Bytes stream = DeflateStream(
            data, storage == PieceStorage::Gzip ? StreamWrapper::Gzip : StreamWrapper::Zlib, exhaustive);
        // Equal sizes mean stored to the reader, so an equally long stream cannot be kept.
        if (stream.size() < data.size()) {
            piece.bytes = stream;
            return piece;
        }
    }
    piece.bytes = data;
    return piece;
}

Bytes BuildDirectory(const std::vector<PackEntry>& entries,
                     const std::vector<uint32_t>& storedSizes, bool endMarker)
{
    Bytes directory;
    for (size_t i = 0; i < entries.size(); ++i) {
        const PackEntry& entry = entries[i];
        bool gated = entry.flags & kVersionGated;
        size_t start = directory.size();
        size_t nameOffset = gated ? kEntryGatedNameOffset : kEntryNameOffset;
        directory.resize(start + nameOffset);
        unsigned char* record = directory.data() + start;
        uint32_t size = entry.storage == PieceStorage::Verbatim ? entry.verbatimSize
                                                                : (uint32_t)entry.data.size();
        WriteWord32(record + kEntryFlagsOffset, entry.flags);
        WriteWord32(record + kEntryStoredSizeOffset, storedSizes[i]);
        WriteWord32(record + kEntrySizeOffset, size);
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

Bytes BuildArchive(const std::vector<PackEntry>& entries, const PackOptions& options)
{
    std::vector<StoredPiece> pieces;
    std::vector<uint32_t> storedSizes;
    for (const PackEntry& entry : entries) {
        StoredPiece piece;
        if (entry.storage == PieceStorage::Verbatim) {
            piece.bytes = entry.data;
            piece.size = entry.verbatimSize;
        } else {
            piece = StorePiece(entry.data, entry.storage, options.exhaustive);
        }
        storedSizes.push_back((uint32_t)piece.bytes.size());
        pieces.push_back(piece);
    }
    StoredPiece directory =
        StorePiece(BuildDirectory(entries, storedSizes, options.endMarker), options.directoryStorage,
                   options.exhaustive);

    Bytes archive;
    AppendWord(&archive, (uint32_t)directory.bytes.size());
    AppendWord(&archive, directory.size);
    archive.insert(archive.end(), directory.bytes.begin(), directory.bytes.end());
    PadToWord(&archive);
    for (const StoredPiece& piece : pieces) {
        archive.insert(archive.end(), piece.bytes.begin(), piece.bytes.end());
        PadToWord(&archive);
    }
    return archive;
}

uint64_t FileTimeFromUnix(int64_t seconds)
{
    // 1601-01-01 to 1970-01-01 in seconds; FILETIME counts 100-nanosecond intervals.
    return (uint64_t)(seconds + 11644473600LL) * 10000000ULL;
}
