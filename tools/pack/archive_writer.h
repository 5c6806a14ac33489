// Building payload archives (resource "Z"/110) from a list of entries, for the
// packer and for tests, which also use it to make damaged archives on purpose.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

#include "tools/pack/deflate_writer.h"

// How a piece (the directory or a file) is kept in the archive.
enum class PieceStorage {
    Zlib,      // deflated with a zlib wrapper, unless that is not smaller
    Gzip,      // deflated with a gzip wrapper, unless that is not smaller
    Stored,    // the bytes themselves
    Verbatim,  // the given bytes as the stored bytes, with a size given apart
};

struct PackEntry {
    uint32_t flags = 0;               // EntryFlags; 0 is not allowed (it ends the directory)
    std::string name;                 // relative target path, '\' separators
    uint32_t sourceAttributes = 0;
    uint64_t creationTime = 0;        // FILETIME values
    uint64_t lastAccessTime = 0;
    uint64_t lastWriteTime = 0;
    uint32_t minimumVersionMS = 0;    // written only when kVersionGated is set
    uint32_t minimumVersionLS = 0;
    PieceStorage storage = PieceStorage::Zlib;
    Bytes data;                       // the file; with Verbatim, the stored bytes
    uint32_t verbatimSize = 0;        // with Verbatim: the size the entry claims
};

struct PackOptions {
    PieceStorage directoryStorage = PieceStorage::Zlib;  // Verbatim is not used here
    bool endMarker = true;            // false leaves the directory without its end marker
    bool exhaustive = false;          // also try zopfli for every stream
};

// A piece as kept in the archive: its stored bytes and its unpacked size. A stream
// that is not smaller than the data, or is exactly as long, is replaced by the data.
struct StoredPiece {
    Bytes bytes;
    uint32_t size = 0;
};
StoredPiece StorePiece(const Bytes& data, PieceStorage storage, bool exhaustive = false);

// The piece of an entry as StorePiece makes it, or its data as they are with
// Verbatim. The entry's data are moved into the piece or released, so that a payload
// is packed with at most one copy of each file in memory.
StoredPiece TakeEntryPiece(PackEntry* entry, bool exhaustive);

// The unpacked directory of entries whose stored sizes are given in order.
Bytes BuildDirectory(const std::vector<PackEntry>& entries,
                     const std::vector<uint32_t>& storedSizes, bool endMarker);

// The directory of the entries whose pieces are given, kept as the options say.
StoredPiece DirectoryPiece(const std::vector<PackEntry>& entries, const std::vector<StoredPiece>& pieces,
                           const PackOptions& options);

// The archive's size in bytes, and its bytes in order given to sink in runs: the
// header, the directory and each piece, each padded with zeros to a multiple of 4.
uint64_t ArchiveSize(const StoredPiece& directory, const std::vector<StoredPiece>& pieces);
typedef void (*ArchiveSink)(void* context, const unsigned char* bytes, size_t size);
void EmitArchive(const StoredPiece& directory, const std::vector<StoredPiece>& pieces, ArchiveSink sink,
                 void* context);

// The complete archive resource in memory.
Bytes BuildArchive(const std::vector<PackEntry>& entries, const PackOptions& options = PackOptions());

// Unix seconds to a FILETIME value.
uint64_t FileTimeFromUnix(int64_t seconds);
