// One-shot inflate of a whole zlib or gzip stream into a buffer of known size.
#pragma once

#include <stddef.h>

// *capacity holds the room at dest; on Z_OK it becomes the bytes produced and is
// otherwise left alone. Returns a zlib status: Z_OK, Z_DATA_ERROR for a corrupt,
// truncated or dictionary stream, Z_BUF_ERROR when dest is too small, or whatever
// else zlib reports. Raw deflate without a wrapper is rejected.
int InflateWholeBuffer(unsigned char* dest, unsigned long* capacity,
                       const unsigned char* source, unsigned long sourceLength);
