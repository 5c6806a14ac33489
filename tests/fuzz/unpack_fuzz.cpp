// libFuzzer target: a piece's unpacked size (first four bytes, kept below 1 MiB) and
// its stored bytes (the rest). Unpacking writes only inside its exact-size buffer and
// succeeds only when the piece fills it; the one-shot inflate underneath never
// reports more than the room it was given.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <zlib.h>

#include "payload/decompress.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 4)
        return 0;
    unsigned long unpackedSize = (data[0] | data[1] << 8 | data[2] << 16) & 0xFFFFF;
    const unsigned char* piece = data + 4;
    unsigned long storedSize = (unsigned long)(size - 4);

    // Exact-size heap copies, so that a read or write one byte outside is caught.
    unsigned char* source = (unsigned char*)malloc(storedSize ? storedSize : 1);
    memcpy(source, piece, storedSize);
    unsigned char* dest = (unsigned char*)malloc(unpackedSize ? unpackedSize : 1);
    int unpacked = UnpackPiece(source, storedSize, dest, unpackedSize);
    if (storedSize == unpackedSize && (!unpacked || memcmp(dest, piece, storedSize) != 0))
        abort();

    unsigned long capacity = unpackedSize;
    int status = InflateWholeBuffer(dest, &capacity, source, storedSize);
    if (status == Z_OK && capacity > unpackedSize)
        abort();
    if (status != Z_OK && capacity != unpackedSize)
        abort();
    // A deflated piece unpacks exactly when the stream fills the buffer.
    if (storedSize != unpackedSize && unpacked != (status == Z_OK && capacity == unpackedSize))
        abort();
    free(dest);
    free(source);
    return 0;
}
