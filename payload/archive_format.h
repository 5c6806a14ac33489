// The payload archive, resource "Z"/110, defined once for the reader and the packer.
//
//   offset 0   directory stored size
//   offset 4   directory size (unpacked)
//   offset 8   the directory: stored when the two sizes are equal, else deflated
//   then       zero padding to a multiple of 4
//   then       the data area: each entry's stored bytes in directory order, each
//              padded with zeros to a multiple of 4
//
// The directory is a run of entries, each starting on a multiple of 4 from the
// directory's start, ended by a flags word of 0.
#pragma once

#include <stdint.h>

enum EntryFlags : uint32_t {
    kLogForUninstall = 0x01,    // a file line goes into the uninstall log
    kInSystemDirectory = 0x02,  // the base folder is the Windows system directory
    kVersionGated = 0x10,       // carries a minimum version; installs only over older files
};

enum ArchiveLayout : uint32_t {
    kArchiveHeaderSize = 8,
    kArchiveDirectoryStoredSizeOffset = 0,
    kArchiveDirectorySizeOffset = 4,
};

// Offsets inside one directory entry; words are little-endian.
enum EntryLayout : uint32_t {
    kEntryFlagsOffset = 0,
    kEntryStoredSizeOffset = 4,
    kEntrySizeOffset = 8,
    kEntryAttributesOffset = 12,
    kEntryCreationTimeOffset = 16,    // FILETIME: low word, then high word
    kEntryLastAccessTimeOffset = 24,
    kEntryLastWriteTimeOffset = 32,
    kEntryMinimumVersionOffset = 40,  // VersionGated only: MS word, then LS word
    kEntryNameOffset = 40,
    kEntryGatedNameOffset = 48,
};

// The source attributes every shipped entry carries: archive, compressed, not indexed.
enum : uint32_t { kShippedSourceAttributes = 0x2820 };

constexpr uint32_t Align4(uint32_t value)
{
    return (value + 3) & ~(uint32_t)3;
}

static_assert(kEntryGatedNameOffset == kEntryMinimumVersionOffset + 8, "version precedes the name");
static_assert(Align4(40 + 11 + 1) == 52, "an 11-character name needs no padding");
