#include "tools/pack/deflate_writer.h"

#include <string.h>
#include <zlib.h>

Bytes DeflateStream(const Bytes& data, StreamWrapper wrapper)
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
