#include "common/log_format.h"

#include <string.h>

#include "common/path_text.h"
#include "common/product.h"

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

int NextLogByte(void* source)
{
    LogText* text = (LogText*)source;
    if (text->next >= text->end)
        return -1;
    return (unsigned char)*text->next++;
}

int NextLogLine(LogText* text, char* line, char* tag, const char** path)
{
    int read;
    while ((read = ReadLogLine(NextLogByte, text, line)) != kLogEnded) {
        if (read != kLogLineRead)
            continue;
        size_t length = strlen(line);
        if (length && line[length - 1] == '\n') line[--length] = 0;
        if (length && line[length - 1] == '\r') line[--length] = 0;
        if (length < 2 || length - 1 >= kPathCapacity || (line[0] != kLogFileTag && line[0] != kLogFolderTag))
            continue;
        *tag = line[0];
        *path = line + 1;
        return 1;
    }
    return 0;
}
