#include "tools/pack/deflate_writer.h"

#include <string.h>
#include <zlib.h>

#ifdef ARBOLIX_HAVE_LIBDEFLATE
#include <libdeflate.h>
#endif

static Bytes ZlibDeflate(const Bytes& data, StreamWrapper wrapper)
{
    z_stream stream;
    memset(&stream, 0, sizeof stream);
    int windowBits = wrapper == StreamWrapper::Gzip ? 15 + 16 : 15;
    deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, windowBits, 9, Z_DEFAULT_STRATEGY);
    Bytes out(deflateBound(&stream, data.size()) + 32);
    stream.next_in = const_cast<Bytef*>(data.data());
    stream.avail_in = (uInt)data.size();
    stream.next_out = out.data();
    stream.avail_out = (uInt)out.size();
    deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

#ifdef ARBOLIX_HAVE_LIBDEFLATE
// libdeflate's strongest level finds clearly shorter streams than zlib -9, and
// any zlib inflates them.
static Bytes LibdeflateDeflate(const Bytes& data, StreamWrapper wrapper, bool* done)
{
    *done = false;
    libdeflate_compressor* compressor = libdeflate_alloc_compressor(12);
    if (!compressor)
        return Bytes();
    bool gzip = wrapper == StreamWrapper::Gzip;
    size_t bound = gzip ? libdeflate_gzip_compress_bound(compressor, data.size())
                        : libdeflate_zlib_compress_bound(compressor, data.size());
    Bytes out(bound);
    size_t written = gzip ? libdeflate_gzip_compress(compressor, data.data(), data.size(),
                                                     out.data(), out.size())
                          : libdeflate_zlib_compress(compressor, data.data(), data.size(),
                                                     out.data(), out.size());
    libdeflate_free_compressor(compressor);
    out.resize(written);
    *done = written > 0;
    return out;
}
#endif

Bytes DeflateStream(const Bytes& data, StreamWrapper wrapper)
{
#ifdef ARBOLIX_HAVE_LIBDEFLATE
    bool done;
    Bytes stream = LibdeflateDeflate(data, wrapper, &done);
    if (done)
        return stream;
#endif
    return ZlibDeflate(data, wrapper);
}
