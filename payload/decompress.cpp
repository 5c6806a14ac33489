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

int StartPiece(PieceInflater* piece, const unsigned char* source, unsigned long storedSize, unsigned long size)
{
    memset(piece, 0, sizeof *piece);
    piece->size = size;
    piece->stream.next_in = (Bytef*)source;
    piece->stream.avail_in = (uInt)storedSize;
    return inflateInit2(&piece->stream, kWindowBitsAnyWrapper) == Z_OK ? kPieceMore : kPieceFailed;
}

int InflateChunk(PieceInflater* piece, unsigned char* dest, unsigned long capacity, unsigned long* length)
{
    z_stream* stream = &piece->stream;
    stream->next_out = dest;
    stream->avail_out = (uInt)capacity;
    int status = inflate(stream, Z_NO_FLUSH);
    *length = capacity - stream->avail_out;
    piece->produced += *length;
    // Bytes past the piece's size mean a stream too long, however it goes on.
    if (piece->produced > piece->size)
        return kPieceFailed;
    if (status == Z_STREAM_END)
        return piece->produced == piece->size ? kPieceDone : kPieceFailed;
    // Z_OK made progress; anything else (no progress, the input at its end, a
    // corrupt or dictionary stream) can only fail.
    return status == Z_OK ? kPieceMore : kPieceFailed;
}

void EndPiece(PieceInflater* piece)
{
    inflateEnd(&piece->stream);
}

int InflateExactly(unsigned char* dest, unsigned long size, const unsigned char* source, unsigned long storedSize)
{
    PieceInflater piece;
    unsigned long length;
    unsigned char beyond;
    int status = StartPiece(&piece, source, storedSize, size);
    if (status == kPieceMore && size)
        status = InflateChunk(&piece, dest, size, &length);
    // Room for one byte more: a stream that goes on past the size fails there.
    if (status == kPieceMore)
        status = InflateChunk(&piece, &beyond, 1, &length);
    EndPiece(&piece);
    return status == kPieceDone;
}

int UnpackPiece(const unsigned char* source, unsigned long storedSize,
                unsigned char* dest, unsigned long size)
{
    if (storedSize == size) {
        if (size) memcpy(dest, source, size);
        return 1;
    }
    return InflateExactly(dest, size, source, storedSize);
}
