// Reading the payload archive: the directory unpacked once, then each entry in
// order with its stored bytes located in place in the resource.
#pragma once

#include <stddef.h>
#include <stdint.h>

struct ArchiveTime {
    uint32_t low;
    uint32_t high;
};

struct DirectoryEntry {
    uint32_t flags;             // EntryFlags
    uint32_t storedSize;
    uint32_t size;
    uint32_t sourceAttributes;
    ArchiveTime creationTime;
    ArchiveTime lastAccessTime;
    ArchiveTime lastWriteTime;
    uint32_t minimumVersionMS;  // VersionGated only, else 0
    uint32_t minimumVersionLS;
    const char* name;           // relative target path, inside the directory buffer
    const unsigned char* data;  // storedSize bytes, inside the resource
    uint32_t index;             // its place in the directory, from 0
};

struct ArchiveReader {
    unsigned char* directory;   // malloc'd, directorySize bytes
    uint32_t directorySize;
    const unsigned char* resource;
    size_t resourceSize;
    size_t entryOffset;         // next entry, from the directory's start
    size_t dataOffset;          // its stored bytes, from the resource's start
    uint32_t entryIndex;        // its place in the directory
};

// Unpacks and checks the whole directory against the buffer and the resource.
// 1: the reader is positioned before the first entry. 0: the archive is unreadable
// (directory not unpackable, end marker missing, an entry, a name or stored bytes
// running past their buffer); nothing is left allocated.
int OpenArchiveBytes(ArchiveReader* reader, const unsigned char* resource, size_t resourceSize);

// 1 and the next entry, or 0 at the end. Never reads outside the checked buffers.
int NextArchiveEntry(ArchiveReader* reader, DirectoryEntry* entry);

void CloseArchive(ArchiveReader* reader);
