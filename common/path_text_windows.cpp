#include "common/path_text.h"

#include "common/late_imports.h"

void LongPathOf(const char* path, char* dest)
{
    char longPath[kPathCapacity];
    DWORD length = Kernel().getLongPathName ? Kernel().getLongPathName(path, longPath, sizeof longPath) : 0;
    if (length == 0 || length >= sizeof longPath || !CopyText(dest, kPathCapacity, longPath))
        CopyText(dest, kPathCapacity, path);
}

void MakeFullPath(char* path)
{
    char fullPath[kPathCapacity];
    DWORD length = GetFullPathNameA(path, sizeof fullPath, fullPath, 0);
    if (length && length < sizeof fullPath)
        CopyText(path, kPathCapacity, fullPath);
}
