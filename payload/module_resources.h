// The "Z" resources of the setup program's own module: located and loaded in place,
// the license text decoded and the payload archive opened.
#pragma once

#include <stddef.h>

#include "payload/archive_reader.h"
#include "platform/win32.h"

// Locates resource "Z"/id of the setup state's module: its bytes, read in place,
// and its real size. 0 when it is missing or cannot be loaded.
int FindZResource(int id, const unsigned char** bytes, DWORD* size);

// The text resource id as a new malloc'd NUL-terminated text and its length, or
// null (no message) when it is missing or does not decode.
char* LoadTextResource(int id, size_t* length);

// 0 when the payload archive's bytes do not match the CRC-32 the packer wrote beside
// it (resource "Z"/111, four bytes little-endian), that resource is malformed or the
// archive it names is missing: the setup program is damaged. 1 otherwise, also
// without a checksum.
int PayloadIsIntact();

// Says in a message box, in every mode, that a piece of the payload does not decompress.
void SayUnableToDecompress();

enum PayloadArchiveResult {
    kArchiveAbsent,      // no payload archive resource: nothing to install, no message
    kArchiveUnreadable,  // "Unable to decompress data" has been shown
    kArchiveOpened,      // the reader stands before the first entry; close it
};

// Opens the payload archive resource. The reader is cleared first, so CloseArchive
// may be called after any outcome.
int OpenPayloadArchive(ArchiveReader* reader);
