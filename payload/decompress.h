// Inflating the payload: one whole zlib or gzip stream into a buffer of known size,
// and the stored-or-deflated rule of the archive pieces (equal sizes mean stored).
#pragma once

#include <stddef.h>

// No deflate stream expands more than 1032 times: a piece larger than that many
// times its stored size can only fail to unpack.
enum { kMaximumInflateRatio = 1032 };

// *capacity holds the room at dest; on Z_OK it becomes the bytes produced and is
// otherwise left alone. Returns a zlib status: Z_OK, Z_DATA_ERROR for a corrupt,
// truncated or dictionary stream, Z_BUF_ERROR when dest is too small, or whatever
// else zlib reports. Raw deflate without a wrapper is rejected.
int InflateWholeBuffer(unsigned char* dest, unsigned long* capacity,
                       const unsigned char* source, unsigned long sourceLength);

// Fills dest (exactly size bytes) from storedSize bytes at source: a copy when the
// sizes are equal, else one zlib/gzip stream that must fill size bytes exactly.
// Returns 1 on success, 0 when the stream is corrupt, too long or too short.
int UnpackPiece(const unsigned char* source, unsigned long storedSize,
                unsigned char* dest, unsigned long size);
