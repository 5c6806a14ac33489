#include "payload/inflate_ahead.h"

#include <stdlib.h>

#include "payload/decompress.h"
#include "platform/win32.h"

// A count that only calls on the system when a side must wait: each of Wine's
// semaphore calls is a round trip to its server.
struct Gate {
    volatile LONG count;
    HANDLE waiting;
};

static int OpenGate(Gate* gate, LONG count)
{
    gate->count = count;
    gate->waiting = CreateSemaphoreA(0, 0, kChunksAhead + 1, 0);
    return gate->waiting != 0;
}

static void Pass(Gate* gate)
{
    if (InterlockedDecrement(&gate->count) < 0)
        WaitForSingleObject(gate->waiting, INFINITE);
}

static void Open(Gate* gate)
{
    if (InterlockedIncrement(&gate->count) <= 0)
        ReleaseSemaphore(gate->waiting, 1, 0);
}

static void CloseGate(Gate* gate)
{
    if (gate->waiting)
        CloseHandle(gate->waiting);
    gate->waiting = 0;
}

struct Slot {
    uint32_t index;  // of its entry; kEndOfPayload after the last
    unsigned long length;
    int last;
    int failed;
};
enum : uint32_t { kEndOfPayload = 0xFFFFFFFFu };

// The thread's state, shared by the two sides: a ring of chunks the inflating side
// fills at the tail and the writing side empties at the head.
static struct {
    HANDLE thread;
    ArchiveReader reader;
    unsigned char* buffers;  // kChunksAhead chunks of kChunkSize
    Slot slots[kChunksAhead];
    Gate free, filled;
    unsigned head, tail;
    volatile LONG wanted;    // the entry the writer waits for; earlier ones are left
    volatile LONG stopping;
} g_ahead;

// Fills the slot at the tail, once one is free. 0 when the thread is to end.
static int Fill(uint32_t index, PieceInflater* piece, int* status)
{
    Pass(&g_ahead.free);
    if (g_ahead.stopping)
        return 0;
    Slot* slot = &g_ahead.slots[g_ahead.tail];
    unsigned long length = 0;
    if (*status == kPieceMore)
        *status = InflateChunk(piece, g_ahead.buffers + (size_t)g_ahead.tail * kChunkSize, kChunkSize, &length);
    slot->index = index;
    slot->length = length;
    slot->last = *status != kPieceMore;
    slot->failed = *status == kPieceFailed;
    g_ahead.tail = (g_ahead.tail + 1) % kChunksAhead;
    Open(&g_ahead.filled);
    return 1;
}

static DWORD WINAPI InflateEntries(void*)
{
    ArchiveReader reader = g_ahead.reader;
    DirectoryEntry entry;
    int going = 1;
    while (going && NextArchiveEntry(&reader, &entry)) {
        // Stored pieces are written straight from the resource; entries before the
        // one the writer waits for (from the first it starts at) are left.
        if (entry.storedSize == entry.size || entry.index < (uint32_t)g_ahead.wanted)
            continue;
        PieceInflater piece;
        int status = StartPiece(&piece, entry.data, entry.storedSize, entry.size);
        do
            going = Fill(entry.index, &piece, &status);
        while (going && status == kPieceMore && entry.index >= (uint32_t)g_ahead.wanted);
        EndPiece(&piece);
    }
    // After the last entry, a mark: the writer never waits for what cannot come.
    int status = kPieceDone;
    if (going)
        Fill(kEndOfPayload, 0, &status);
    return 0;
}

int StartInflatingAhead(const ArchiveReader* reader, uint32_t firstIndex)
{
    StopInflatingAhead();
    g_ahead.buffers = (unsigned char*)malloc((size_t)kChunksAhead * kChunkSize);
    g_ahead.reader = *reader;
    g_ahead.head = g_ahead.tail = 0;
    g_ahead.wanted = (LONG)firstIndex;
    g_ahead.stopping = 0;
    if (g_ahead.buffers && OpenGate(&g_ahead.free, kChunksAhead) && OpenGate(&g_ahead.filled, 0))
        g_ahead.thread = CreateThread(0, 0, InflateEntries, 0, 0, 0);
    if (g_ahead.thread)
        return 1;
    StopInflatingAhead();
    return 0;
}

int TakeChunk(uint32_t index, InflatedChunk* chunk)
{
    if (!g_ahead.thread)
        return 0;
    InterlockedExchange(&g_ahead.wanted, (LONG)index);
    for (;;) {
        Pass(&g_ahead.filled);
        const Slot& slot = g_ahead.slots[g_ahead.head];
        if (slot.index == index) {
            chunk->bytes = g_ahead.buffers + (size_t)g_ahead.head * kChunkSize;
            chunk->length = slot.length;
            chunk->last = slot.last;
            chunk->failed = slot.failed;
            return 1;
        }
        // A later entry's chunk (or the end) before any of this one's: they were taken.
        if (slot.index > index) {
            Open(&g_ahead.filled);
            return 0;
        }
        GiveBackChunk();
    }
}

void GiveBackChunk()
{
    g_ahead.head = (g_ahead.head + 1) % kChunksAhead;
    Open(&g_ahead.free);
}

void StopInflatingAhead()
{
    if (g_ahead.thread) {
        g_ahead.stopping = 1;
        Open(&g_ahead.free);
        WaitForSingleObject(g_ahead.thread, INFINITE);
        CloseHandle(g_ahead.thread);
        g_ahead.thread = 0;
    }
    CloseGate(&g_ahead.free);
    CloseGate(&g_ahead.filled);
    free(g_ahead.buffers);
    g_ahead.buffers = 0;
}
