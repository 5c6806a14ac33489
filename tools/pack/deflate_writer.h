// Deflate streams as the setup program reads them: one stream with a zlib or a
// gzip wrapper.
#pragma once

#include "tools/pack/file_io.h"

enum class StreamWrapper { Zlib, Gzip };

// The smallest stream the encoder makes of data, with the given wrapper.
Bytes DeflateStream(const Bytes& data, StreamWrapper wrapper);
