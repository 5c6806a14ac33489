#include "common/path_text.h"

#include <string.h>

int CopyText(char* dest, size_t capacity, const char* src)
{
    size_t length = strlen(src);
    if (length >= capacity) {
        if (capacity) dest[0] = 0;
        return 0;
    }
    memmove(dest, src, length + 1);
    return 1;
}

// Length of folder + separator + name as the join rules build it.
static size_t JoinedLength(const char* folder, size_t folderLength, const char** name)
{
    if (folderLength == 0)
        return strlen(*name);
    if (**name == '\\')
        ++*name;
    size_t separator = folder[folderLength - 1] == '\\' ? 0 : 1;
    return folderLength + separator + strlen(*name);
}

int JoinPath(char* dest, const char* folder, const char* name)
{
    size_t folderLength = strlen(folder);
    if (JoinedLength(folder, folderLength, &name) >= kPathCapacity) {
        dest[0] = 0;
        return 0;
    }
    memcpy(dest, folder, folderLength + 1);
    if (folderLength && dest[folderLength - 1] != '\\')
        dest[folderLength++] = '\\';
    strcpy(dest + folderLength, name);
    return 1;
}

int AppendToPath(char* buffer, const char* name)
{
    size_t folderLength = strlen(buffer);
    if (JoinedLength(buffer, folderLength, &name) >= kPathCapacity)
        return 0;
    if (folderLength && buffer[folderLength - 1] != '\\')
        buffer[folderLength++] = '\\';
    strcpy(buffer + folderLength, name);
    return 1;
}

void ParentFolder(const char* path, char* dest)
{
    size_t lastSeparator = (size_t)-1;
    size_t i = 0;
    for (; i < kPathCapacity - 1 && path[i]; ++i) {
        dest[i] = path[i];
        if (path[i] == '\\') lastSeparator = i;
    }
    dest[i] = 0;
    if (lastSeparator == (size_t)-1)
        return;
    // A drive root keeps its separator: C:\file gives C:\.
    dest[lastSeparator <= 3 ? lastSeparator + 1 : lastSeparator] = 0;
}

const char* PathExtension(const char* path)
{
    const char* extension = 0;
    for (; *path; ++path) {
        if (*path == '.') extension = path + 1;
        else if (*path == '\\') extension = 0;
    }
    return extension;
}

static size_t TrimmedLength(const char* path)
{
    size_t length = strlen(path);
    while (length && path[length - 1] == '\\')
        --length;
    return length;
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
