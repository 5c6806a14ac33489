#include "uninstaller/log_reader.h"

#include <string.h>

#include "setup/path_text.h"
#include "uninstall/log_format.h"

int NextLogLine(char** cursor, char* end, LogLine* line)
{
    while (*cursor < end) {
        char* start = *cursor;
        char* lineEnd = (char*)memchr(start, '\n', (size_t)(end - start));
        if (!lineEnd) lineEnd = end;
        *cursor = lineEnd < end ? lineEnd + 1 : end;
        size_t length = (size_t)(lineEnd - start);
        if (length && start[length - 1] == '\r')
            --length;
        if (length < 2 || length - 1 >= kPathCapacity || (start[0] != kLogFileTag && start[0] != kLogFolderTag))
            continue;
        start[length] = 0;
        // A zero byte inside the line would hide its real end: not a path then.
        if (strlen(start) != length)
            continue;
        line->tag = start[0];
        line->path = start + 1;
        return 1;
    }
    return 0;
}

static size_t Depth(const char* path)
{
    size_t separators = 0;
    size_t length = strlen(path);
    if (length && path[length - 1] == '\\')
        --length;
    for (size_t i = 0; i < length; ++i)
        if (path[i] == '\\') ++separators;
    return separators;
}

void SortDeepestFirst(const char** folders, size_t count)
{
    for (size_t i = 1; i < count; ++i) {
        const char* folder = folders[i];
        size_t depth = Depth(folder);
        size_t k = i;
        for (; k > 0 && Depth(folders[k - 1]) < depth; --k)
            folders[k] = folders[k - 1];
        folders[k] = folder;
    }
}
