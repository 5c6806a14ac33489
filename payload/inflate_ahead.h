// The deflated pieces of the payload inflated on a second thread, in directory order,
// a bounded number of chunks ahead of the thread that writes them: the two cores
// inflate and write at once, and memory does not grow with any file's size.
#pragma once

#include <stdint.h>

#include "payload/archive_reader.h"

enum {
    kChunkSize = 256 * 1024,
    kChunksAhead = 8,
};

struct InflatedChunk {
    const unsigned char* bytes;
    unsigned long length;
    int last;    // the entry's last chunk
    int failed;  // the entry's stream is corrupt, too long or too short (last too)
};

// Starts the thread at the reader's entry of that index. 0 when it cannot run.
int StartInflatingAhead(const ArchiveReader* reader, uint32_t firstIndex);

// Waits for the next chunk of the entry of that index; chunks of earlier entries are
// dropped, and the thread leaves an earlier entry it is still inflating. 1 and the
// chunk, to be given back before the next is taken; 0 when no chunk of that entry
// will come (it was taken already: start again for it).
int TakeChunk(uint32_t index, InflatedChunk* chunk);
void GiveBackChunk();

// Ends the thread at once, whatever it is doing, and lets go of its buffers.
void StopInflatingAhead();
