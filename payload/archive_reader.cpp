#include "payload/archive_reader.h"

#include <stdlib.h>
#include <string.h>

#include "payload/archive_format.h"
#include "payload/decompress.h"
#include "payload/little_endian.h"

static size_t AlignSize4(size_t value)
{
    return (value + 3) & ~(size_t)3;
}

// Reads the entry at the reader's positions, with every bound checked. 1: an entry
// (positions not moved); 0: the end marker; -1: the directory or the resource is
// malformed at this entry. *nextEntry and *nextData are where the following entry
// and its stored bytes start.
static int ReadEntryAt(const ArchiveReader* reader, DirectoryEntry* entry,
                       size_t* nextEntry, size_t* nextData)
{
    const unsigned char* directory = reader->directory;
    size_t size = reader->directorySize;
    size_t offset = reader->entryOffset;
    if (offset > size || size - offset < 4)
        return -1;
    const unsigned char* record = directory + offset;
    uint32_t flags = ReadWord32(record + kEntryFlagsOffset);
    if (flags == 0)
        return 0;

    size_t nameOffset = (flags & kVersionGated) ? kEntryGatedNameOffset : kEntryNameOffset;
    if (size - offset <= nameOffset)
        return -1;
    const char* name = (const char*)record + nameOffset;
    const void* nul = memchr(name, 0, size - offset - nameOffset);
    if (!nul)
        return -1;
    size_t nameLength = (size_t)((const char*)nul - name);

    uint32_t storedSize = ReadWord32(record + kEntryStoredSizeOffset);
    size_t dataOffset = reader->dataOffset;
    size_t resourceSize = reader->resourceSize;
    if (storedSize && (dataOffset > resourceSize || storedSize > resourceSize - dataOffset))
        return -1;

    entry->flags = flags;
    entry->storedSize = storedSize;
    entry->size = ReadWord32(record + kEntrySizeOffset);
    entry->sourceAttributes = ReadWord32(record + kEntryAttributesOffset);
    entry->creationTime.low = ReadWord32(record + kEntryCreationTimeOffset);
    entry->creationTime.high = ReadWord32(record + kEntryCreationTimeOffset + 4);
    entry->lastAccessTime.low = ReadWord32(record + kEntryLastAccessTimeOffset);
    entry->lastAccessTime.high = ReadWord32(record + kEntryLastAccessTimeOffset + 4);
    entry->lastWriteTime.low = ReadWord32(record + kEntryLastWriteTimeOffset);
    entry->lastWriteTime.high = ReadWord32(record + kEntryLastWriteTimeOffset + 4);
    entry->minimumVersionMS = 0;
    entry->minimumVersionLS = 0;
    if (flags & kVersionGated) {
        entry->minimumVersionMS = ReadWord32(record + kEntryMinimumVersionOffset);
        entry->minimumVersionLS = ReadWord32(record + kEntryMinimumVersionOffset + 4);
    }
    entry->name = name;
    // Nothing is read through an empty piece's address; it only has to stay in the resource.
    entry->data = reader->resource + (dataOffset < resourceSize ? dataOffset : resourceSize);

    *nextEntry = AlignSize4(offset + nameOffset + nameLength + 1);
    *nextData = dataOffset + AlignSize4(storedSize);
    return 1;
}

int OpenArchiveBytes(ArchiveReader* reader, const unsigned char* resource, size_t resourceSize)
{
    memset(reader, 0, sizeof *reader);
    if (resourceSize < kArchiveHeaderSize)
        return 0;
    uint32_t storedSize = ReadWord32(resource + kArchiveDirectoryStoredSizeOffset);
    uint32_t size = ReadWord32(resource + kArchiveDirectorySizeOffset);
    if (storedSize > resourceSize - kArchiveHeaderSize)
        return 0;
    // Refused before a buffer of that size is taken.
    if (storedSize != size && (uint64_t)size > (uint64_t)storedSize * kMaximumInflateRatio)
        return 0;

    unsigned char* directory = (unsigned char*)malloc(size ? size : 1);
    if (!directory)
        return 0;
    if (!UnpackPiece(resource + kArchiveHeaderSize, storedSize, directory, size)) {
        free(directory);
        return 0;
    }
    reader->directory = directory;
    reader->directorySize = size;
    reader->resource = resource;
    reader->resourceSize = resourceSize;

    // The whole directory is checked now, so that stepping through it cannot fail
    // half-way through an installation.
    reader->entryOffset = 0;
    reader->dataOffset = kArchiveHeaderSize + AlignSize4(storedSize);
    for (;;) {
        DirectoryEntry entry;
        size_t nextEntry, nextData;
        int found = ReadEntryAt(reader, &entry, &nextEntry, &nextData);
        if (found == 0)
            break;
        if (found < 0) {
            CloseArchive(reader);
            return 0;
        }
        reader->entryOffset = nextEntry;
        reader->dataOffset = nextData;
    }
    reader->entryOffset = 0;
    reader->dataOffset = kArchiveHeaderSize + AlignSize4(storedSize);
    return 1;
}

int NextArchiveEntry(ArchiveReader* reader, DirectoryEntry* entry)
{
    if (!reader->directory)
        return 0;
    size_t nextEntry, nextData;
    if (ReadEntryAt(reader, entry, &nextEntry, &nextData) != 1)
        return 0;
    entry->index = reader->entryIndex++;
    reader->entryOffset = nextEntry;
    reader->dataOffset = nextData;
    return 1;
}

void CloseArchive(ArchiveReader* reader)
{
    free(reader->directory);
    memset(reader, 0, sizeof *reader);
}
