#include "uninstaller/log_reader.h"

#include <string.h>

#include "common/log_format.h"
#include "common/path_text.h"
#include "common/product.h"

static int NextByte(void* source)
{
    LogText* text = (LogText*)source;
    if (text->next >= text->end)
        return -1;
    return (unsigned char)*text->next++;
}

int NextLogLine(LogText* text, char* line, char* tag, const char** path)
{
    int read;
    while ((read = ReadLogLine(NextByte, text, line)) != kLogEnded) {
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

static size_t TrimmedLength(const char* path)
{
    size_t length = strlen(path);
    while (length && path[length - 1] == '\\')
        --length;
    return length;
}

static size_t Depth(const char* path)
{
    size_t separators = 0;
    size_t length = TrimmedLength(path);
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

int IsSamePath(const char* a, const char* b)
{
    size_t length = TrimmedLength(a);
    if (length == 0 || length != TrimmedLength(b))
        return 0;
    for (size_t i = 0; i < length; ++i) {
        char ca = a[i], cb = b[i];
        if (ca >= 'A' && ca <= 'Z') ca = (char)(ca - 'A' + 'a');
        if (cb >= 'A' && cb <= 'Z') cb = (char)(cb - 'A' + 'a');
        if (ca != cb) return 0;
    }
    return 1;
}
