#include "payload/version_info.h"

#include <stdlib.h>

#include "common/late_imports.h"

FileVersion ReadFileVersion(const char* path)
{
    FileVersion version = {0, 0};
    const VersionImports* library = VersionLibrary();
    if (!library)
        return version;
    DWORD handle = 0;
    DWORD size = library->getFileVersionInfoSize(path, &handle);
    if (size < sizeof(VS_FIXEDFILEINFO))
        return version;
    void* info = malloc(size);
    if (!info)
        return version;
    VS_FIXEDFILEINFO* fixed = 0;
    UINT fixedSize = 0;
    if (library->getFileVersionInfo(path, handle, size, info) &&
        library->verQueryValue(info, "\\", (void**)&fixed, &fixedSize) && fixedSize == sizeof(VS_FIXEDFILEINFO)) {
        version.ms = fixed->dwFileVersionMS;
        version.ls = fixed->dwFileVersionLS;
    }
    free(info);
    return version;
}

int IsOlderThan(const char* path, FileVersion minimum)
{
    FileVersion version = ReadFileVersion(path);
    return version.ms < minimum.ms || (version.ms == minimum.ms && version.ls < minimum.ls);
}
