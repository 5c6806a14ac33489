#include "tools/pack/deflate_writer.h"

#include <stdlib.h>
#include <string.h>
#include <zlib.h>

#include <memory>

#ifdef ARBOLIX_HAVE_LIBDEFLATE
#include <libdeflate.h>
#endif
#ifdef ARBOLIX_HAVE_ZOPFLI
#include <zopfli/zopfli.h>
#endif

// A stream in a malloc'd buffer whose bytes past the stream were never set: pages a
// stream does not reach cost no memory. Only the shortest stream is copied out, so a
// large file costs its own size and two streams at most.
struct Stream {
    std::unique_ptr<unsigned char, void (*)(void*)> bytes{nullptr, free};
    size_t size = 0;
};

// Streams are made only when shorter than limit bytes, into room for that many at
// most: a large file that does not shrink costs no more than its own size again.
static unsigned char* StreamRoom(size_t bound, size_t limit, size_t* room)
{
    *room = bound < limit ? bound : limit - 1;
    return (unsigned char*)malloc(*room ? *room : 1);
}

static Stream ZlibDeflate(const Bytes& data, StreamWrapper wrapper, size_t limit)
{
    Stream made;
    z_stream stream;
    memset(&stream, 0, sizeof stream);
    int windowBits = wrapper == StreamWrapper::Gzip ? 15 + 16 : 15;
    deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, windowBits, 9, Z_DEFAULT_STRATEGY);
    size_t room;
    made.bytes.reset(StreamRoom(deflateBound(&stream, data.size()) + 32, limit, &room));
    stream.next_in = const_cast<Bytef*>(data.data());
    stream.avail_in = (uInt)data.size();
    stream.next_out = made.bytes.get();
    stream.avail_out = (uInt)room;
    if (made.bytes && deflate(&stream, Z_FINISH) == Z_STREAM_END)
        made.size = stream.total_out;
    deflateEnd(&stream);
    return made;
}

#ifdef ARBOLIX_HAVE_LIBDEFLATE
// libdeflate's strongest level finds clearly shorter streams than zlib -9 (4% on
// a large program), and any zlib inflates them.
static Stream LibdeflateDeflate(const Bytes& data, StreamWrapper wrapper, size_t limit)
{
    Stream made;
    libdeflate_compressor* compressor = libdeflate_alloc_compressor(12);
    if (!compressor)
        return made;
    bool gzip = wrapper == StreamWrapper::Gzip;
    size_t bound = gzip ? libdeflate_gzip_compress_bound(compressor, data.size())
                        : libdeflate_zlib_compress_bound(compressor, data.size());
    size_t room;
    made.bytes.reset(StreamRoom(bound, limit, &room));
    // 0 when the stream does not fit the room given.
    if (made.bytes)
        made.size = gzip ? libdeflate_gzip_compress(compressor, data.data(), data.size(), made.bytes.get(), room)
                         : libdeflate_zlib_compress(compressor, data.data(), data.size(), made.bytes.get(), room);
    libdeflate_free_compressor(compressor);
    return made;
}
#endif

#ifdef ARBOLIX_HAVE_ZOPFLI
static Stream ZopfliDeflate(const Bytes& data, StreamWrapper wrapper)
{
    Stream made;
    ZopfliOptions options;
    ZopfliInitOptions(&options);
    unsigned char* out = nullptr;
    ZopfliCompress(&options, wrapper == StreamWrapper::Gzip ? ZOPFLI_FORMAT_GZIP : ZOPFLI_FORMAT_ZLIB,
                   data.data(), data.size(), &out, &made.size);
    made.bytes.reset(out);
    return made;
}
#endif

// Keeps the candidate when it is shorter than limit, and lowers limit to it.
static void KeepShorter(Stream* best, Stream candidate, size_t* limit)
{
    if (candidate.size == 0 || candidate.size >= *limit)
        return;
    *best = std::move(candidate);
    *limit = best->size;
}

Bytes DeflateStream(const Bytes& data, StreamWrapper wrapper, bool exhaustive, size_t limit)
{
    if (limit == 0)
        return Bytes();
    Stream best;
    // zlib still wins now and then on very small pieces such as the directory.
    KeepShorter(&best, ZlibDeflate(data, wrapper, limit), &limit);
#ifdef ARBOLIX_HAVE_LIBDEFLATE
    KeepShorter(&best, LibdeflateDeflate(data, wrapper, limit), &limit);
#endif
#ifdef ARBOLIX_HAVE_ZOPFLI
    if (exhaustive && !data.empty())
        KeepShorter(&best, ZopfliDeflate(data, wrapper), &limit);
#else
    (void)exhaustive;
#endif
    return Bytes(best.bytes.get(), best.bytes.get() + best.size);
}
