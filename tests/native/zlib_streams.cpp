#include "zlib_streams.h"

#include <stdio.h>
#include <string.h>
#include <zlib.h>

Bytes Compress(const Bytes& data, Wrapper wrapper)
{
    z_stream stream;
    memset(&stream, 0, sizeof stream);
    int windowBits = wrapper == Wrapper::Zlib ? 15 : wrapper == Wrapper::Gzip ? 31 : -15;
    deflateInit2(&stream, 9, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY);
    Bytes out(deflateBound(&stream, data.size()) + 64);
    stream.next_in = const_cast<Bytef*>(data.data());
    stream.avail_in = (uInt)data.size();
    stream.next_out = out.data();
    stream.avail_out = (uInt)out.size();
    deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

Bytes ToBytes(const std::string& text)
{
    return Bytes(text.begin(), text.end());
}

Bytes PatternBytes(size_t size)
{
    Bytes bytes(size);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = (unsigned char)("family tree "[i % 12] + (i / 97) % 3);
    return bytes;
}

Bytes ReadFileBytes(const char* path)
{
    Bytes bytes;
    FILE* file = fopen(path, "rb");
    if (!file) return bytes;
    int c;
    while ((c = fgetc(file)) != EOF) bytes.push_back((unsigned char)c);
    fclose(file);
    return bytes;
}
