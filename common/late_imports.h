// Windows functions the programs cannot import: newer than the Windows they start on,
// or in a DLL that must come from the system directory by its full path. Each is
// looked up once per run; a null pointer means this Windows lacks it.
#pragma once

#include "platform/win32.h"

struct KernelImports {
    DWORD(WINAPI* getFinalPathNameByHandle)(HANDLE, WCHAR*, DWORD, DWORD);  // Vista
    BOOL(WINAPI* getFileInformationByHandleEx)(HANDLE, int, void*, DWORD);  // Vista
    BOOL(WINAPI* setFileInformationByHandle)(HANDLE, int, void*, DWORD);   // Vista
    BOOL(WINAPI* setDefaultDllDirectories)(DWORD);                         // 8, or 7 with KB2533623
    DWORD(WINAPI* getLongPathName)(const char*, char*, DWORD);              // 98 and 2000
};

// version.dll's functions; loaded on first use, never through the DLL search order.
struct VersionImports {
    DWORD(WINAPI* getFileVersionInfoSize)(const char*, DWORD*);
    BOOL(WINAPI* getFileVersionInfo)(const char*, DWORD, DWORD, void*);
    BOOL(WINAPI* verQueryValue)(const void*, const char*, void**, UINT*);
};

const KernelImports& Kernel();
// Null when the library or one of its functions cannot be had.
const VersionImports* VersionLibrary();
