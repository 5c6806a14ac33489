#include "payload/decompress.h"

#include <string.h>
#include <zlib.h>

enum { kWindowBitsAnyWrapper = 15 + 32 };  // 32 KB window, zlib or gzip header detected

int InflateWholeBuffer(unsigned char* dest, unsigned long* capacity,
                       const unsigned char* source, unsigned long sourceLength)
{
    z_stream stream;
    memset(&stream, 0, sizeof stream);
    stream.next_in = (Bytef*)source;
    stream.avail_in = (uInt)sourceLength;
    stream.next_out = dest;
    stream.avail_out = (uInt)*capacity;

    int status = inflateInit2(&stream, kWindowBitsAnyWrapper);
    if (status != Z_OK)
        return status;

    status = inflate(&stream, Z_FINISH);
    if (status == Z_STREAM_END) {
        *capacity = stream.total_out;
        return inflateEnd(&stream);
    }
    int inputLeft = stream.avail_in != 0;
    inflateEnd(&stream);
    if (status == Z_NEED_DICT || (status == Z_BUF_ERROR && !inputLeft))
        return Z_DATA_ERROR;
    return status;
}

int UnpackPiece(const unsigned char* source, unsigned long storedSize,
                unsigned char* dest, unsigned long size)
{
    if (storedSize == size) {
        if (size) memcpy(dest, source, size);
        return 1;
    }
    unsigned long produced = size;
    // A stream that ends early would leave bytes never written in the installed file.
    return InflateWholeBuffer(dest, &produced, source, storedSize) == Z_OK && produced == size;
}
