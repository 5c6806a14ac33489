// The stored-or-deflated rule of the archive pieces: equal sizes mean stored.
#pragma once

#include <stddef.h>

// No deflate stream expands more than 1032 times: a piece larger than that many
// times its stored size can only fail to unpack.
enum { kMaximumInflateRatio = 1032 };

// Fills dest (exactly size bytes) from storedSize bytes at source: a copy when the
// sizes are equal, else one zlib/gzip stream that must fill size bytes exactly.
// Returns 1 on success, 0 when the stream is corrupt, too long or too short.
int UnpackPiece(const unsigned char* source, unsigned long storedSize,
                unsigned char* dest, unsigned long size);
