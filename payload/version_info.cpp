#include "payload/version_info.h"

#include <stdlib.h>

#include "common/path_text.h"

typedef DWORD(WINAPI* GetFileVersionInfoSizeAFn)(LPCSTR, LPDWORD);
typedef BOOL(WINAPI* GetFileVersionInfoAFn)(LPCSTR, DWORD, DWORD, LPVOID);
typedef BOOL(WINAPI* VerQueryValueAFn)(LPCVOID, LPCSTR, LPVOID*, PUINT);

// The version library comes from the system directory by its full path, never
// through the search order that a DLL planted beside the setup program would win.
static HMODULE LoadVersionLibrary()
{
    char path[kPathCapacity];
    UINT length = GetSystemDirectoryA(path, sizeof path);
    if (length == 0 || length >= sizeof path || !AppendToPath(path, "version.dll"))
        return 0;
    return LoadLibraryA(path);
}

static FileVersion ReadVersionWith(HMODULE library, const char* path)
{
    FileVersion version = {0, 0};
    GetFileVersionInfoSizeAFn getSize =
        (GetFileVersionInfoSizeAFn)(void*)GetProcAddress(library, "GetFileVersionInfoSizeA");
    GetFileVersionInfoAFn getInfo = (GetFileVersionInfoAFn)(void*)GetProcAddress(library, "GetFileVersionInfoA");
    VerQueryValueAFn queryValue = (VerQueryValueAFn)(void*)GetProcAddress(library, "VerQueryValueA");
    if (!getSize || !getInfo || !queryValue)
        return version;
    DWORD handle = 0;
    DWORD size = getSize(path, &handle);
    if (size < sizeof(VS_FIXEDFILEINFO))
        return version;
    void* info = malloc(size);
    if (!info)
        return version;
    VS_FIXEDFILEINFO* fixed = 0;
    UINT fixedSize = 0;
    if (getInfo(path, handle, size, info) && queryValue(info, "\\", (LPVOID*)&fixed, &fixedSize) &&
        fixedSize == sizeof(VS_FIXEDFILEINFO)) {
        version.ms = fixed->dwFileVersionMS;
        version.ls = fixed->dwFileVersionLS;
    }
    free(info);
    return version;
}

FileVersion ReadFileVersion(const char* path)
{
    FileVersion version = {0, 0};
    HMODULE library = LoadVersionLibrary();
    if (!library)
        return version;
    version = ReadVersionWith(library, path);
    FreeLibrary(library);
    return version;
}

int IsOlderThan(const char* path, FileVersion minimum)
{
    FileVersion version = ReadFileVersion(path);
    return version.ms < minimum.ms || (version.ms == minimum.ms && version.ls < minimum.ls);
}
