// Reading a resource out of a Windows executable, portably, with every offset of
// the PE headers and the resource directory checked against the file.
#pragma once

#include <stdint.h>

#include <string>

#include "tools/pack/file_io.h"

// "MZ" at the start and a "PE\0\0" signature where the DOS header points.
bool IsPeImage(const Bytes& image);

// The bytes of the resource of the given string type and numeric id, in its first
// language. 1: found; 0: not in the image; -1: the image is malformed (*error says how).
int FindPeResource(const Bytes& image, const std::string& type, uint16_t id, Bytes* resource,
                   std::string* error);
