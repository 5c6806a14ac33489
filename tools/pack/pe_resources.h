// Reading a resource out of a Windows executable, portably, with every offset of
// the PE headers and the resource directory checked against the file.
#pragma once

#include <stdint.h>

#include <string>

#include "tools/pack/bytes.h"

// "MZ" at the start and a "PE\0\0" signature where the DOS header points.
bool IsPeImage(const Bytes& image);

// The bytes of the resource of the given string type and numeric id, in its first
// language. 1: found; 0: not in the image; -1: the image is malformed (*error says how).
int FindPeResource(const Bytes& image, const std::string& type, uint16_t id, Bytes* resource,
                   std::string* error);

// Moves the resource section's bytes in the file to a page boundary (4096), so that
// a loader that maps sections straight from the file (Wine does, when the offset is
// page-aligned; otherwise it reads the whole section into private memory) can map the
// payload instead of copying it. The program's memory image is unchanged.
// 1: moved; 0: nothing to do; -1: cannot be done (*error says why; image untouched).
int AlignResourceSection(Bytes* image, std::string* error);

// Where an image keeps what its Authenticode digest leaves out: the checksum, the
// certificate table's directory entry, and the table itself (a file offset and a
// size, both 0 when the image is not signed).
struct SignatureLayout {
    size_t checksum = 0, directoryEntry = 0;
    uint32_t table = 0, tableSize = 0;
};

// false and *error when the file is not a Windows executable or its headers are malformed.
bool ReadSignatureLayout(const Bytes& image, SignatureLayout* layout, std::string* error);
