#include "common/log_format.h"

int ReadLogLine(int (*nextByte)(void* source), void* source, char* line)
{
    size_t length = 0;
    int skipped = 0;
    int c;
    while ((c = nextByte(source)) != -1) {
        if (c == 0 || length >= kLogLineCapacity - 1)
            skipped = 1;
        else
            line[length++] = (char)c;
        if (c == '\n')
            break;
    }
    line[skipped ? 0 : length] = 0;
    if (skipped)
        return kLogLineSkipped;
    return length ? kLogLineRead : kLogEnded;
}
