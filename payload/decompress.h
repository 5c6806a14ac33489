// Inflating the payload: one whole zlib or gzip stream into a buffer of known size,
// and the stored-or-deflated rule of the archive pieces (equal sizes mean stored).
#pragma once

#include <stddef.h>
#include <zlib.h>

// No deflate stream expands more than 1032 times: a piece larger than that many
// times its stored size can only fail to unpack.
enum { kMaximumInflateRatio = 1032 };

// *capacity holds the room at dest; on Z_OK it becomes the bytes produced and is
// otherwise left alone. Returns a zlib status: Z_OK, Z_DATA_ERROR for a corrupt,
// truncated or dictionary stream, Z_BUF_ERROR when dest is too small, or whatever
// else zlib reports. Raw deflate without a wrapper is rejected.
int InflateWholeBuffer(unsigned char* dest, unsigned long* capacity,
                       const unsigned char* source, unsigned long sourceLength);

// Inflates one zlib or gzip stream of storedSize bytes at source into dest, which it
// must fill exactly: 1, or 0 when it is corrupt, too long or too short.
int InflateExactly(unsigned char* dest, unsigned long size, const unsigned char* source, unsigned long storedSize);

// Fills dest (exactly size bytes) from storedSize bytes at source: a copy when the
// sizes are equal, else one zlib/gzip stream that must fill size bytes exactly.
// Returns 1 on success, 0 when the stream is corrupt, too long or too short.
int UnpackPiece(const unsigned char* source, unsigned long storedSize,
                unsigned char* dest, unsigned long size);

// A deflated piece inflated a chunk at a time into the caller's buffer, by the rules
// of UnpackPiece: one zlib or gzip stream that must end at exactly its size.
struct PieceInflater {
    z_stream stream;
    unsigned long size;      // what the stream must inflate to
    unsigned long produced;
};

enum PieceStatus {
    kPieceFailed = -1,  // corrupt, too long or too short: stop
    kPieceDone = 0,     // the stream ended at exactly its size
    kPieceMore = 1,     // call again for the next chunk
};

// Starts inflating the storedSize bytes at source, a stream of size bytes:
// kPieceMore, or kPieceFailed when zlib cannot start.
int StartPiece(PieceInflater* piece, const unsigned char* source, unsigned long storedSize, unsigned long size);
// Inflates the next chunk, at most capacity bytes, into dest: *length bytes.
int InflateChunk(PieceInflater* piece, unsigned char* dest, unsigned long capacity, unsigned long* length);
void EndPiece(PieceInflater* piece);
