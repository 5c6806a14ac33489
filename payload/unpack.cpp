#include "payload/unpack.h"

#include <string.h>
#include <zlib.h>

#include "payload/inflate_buffer.h"

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
