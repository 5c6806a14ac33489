// The text resource format: a signed length word L, then either -L stored bytes
// (L <= 0) or a stream length S and S bytes of one zlib/gzip stream of L bytes.
#pragma once

#include <stddef.h>

// Decodes a text resource of resourceSize bytes into a new malloc'd buffer with a
// terminating NUL, and its length in *length. Null when the headers do not fit the
// resource, the stream is corrupt, or it inflates to anything but L bytes.
char* DecodeTextResource(const unsigned char* resource, size_t resourceSize, size_t* length);
