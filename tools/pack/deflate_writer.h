// Deflate streams as the setup program reads them: one stream with a zlib or a
// gzip wrapper.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "tools/pack/bytes.h"

enum class StreamWrapper { Zlib, Gzip };

// The smallest stream of data with the given wrapper that the encoders make:
// zlib -9 and, natively, libdeflate's strongest level; exhaustive also tries zopfli
// (natively), which gains a little more at many times the cost. Only a stream shorter
// than limit bytes is kept; empty when none is.
Bytes DeflateStream(const Bytes& data, StreamWrapper wrapper, bool exhaustive = false,
                    size_t limit = SIZE_MAX);
