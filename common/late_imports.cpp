#include "common/late_imports.h"

#include <string.h>

#include "common/path_text.h"

// Stores the function's address, or null, into the pointer at slot.
static void Look(HMODULE module, const char* name, void* slot)
{
    FARPROC function = module ? GetProcAddress(module, name) : 0;
    memcpy(slot, &function, sizeof function);
}

const KernelImports& Kernel()
{
    static KernelImports imports;
    static int looked;
    if (!looked) {
        HMODULE kernel = GetModuleHandleA("kernel32.dll");
        Look(kernel, "GetFinalPathNameByHandleW", &imports.getFinalPathNameByHandle);
        Look(kernel, "GetFileInformationByHandleEx", &imports.getFileInformationByHandleEx);
        Look(kernel, "SetFileInformationByHandle", &imports.setFileInformationByHandle);
        Look(kernel, "SetDefaultDllDirectories", &imports.setDefaultDllDirectories);
        Look(kernel, "GetLongPathNameA", &imports.getLongPathName);
        looked = 1;
    }
    return imports;
}

// An import of version.dll would be resolved before the start-up restriction of the
// DLL search, so a copy planted beside the setup program could win.
static HMODULE LoadVersionDll()
{
    char path[kPathCapacity];
    UINT length = GetSystemDirectoryA(path, sizeof path);
    if (length == 0 || length >= sizeof path || !AppendToPath(path, "version.dll"))
        return 0;
    return LoadLibraryA(path);
}

const VersionImports* VersionLibrary()
{
    static VersionImports imports;
    static int looked, found;
    if (!looked) {
        HMODULE library = LoadVersionDll();
        Look(library, "GetFileVersionInfoSizeA", &imports.getFileVersionInfoSize);
        Look(library, "GetFileVersionInfoA", &imports.getFileVersionInfo);
        Look(library, "VerQueryValueA", &imports.verQueryValue);
        found = imports.getFileVersionInfoSize && imports.getFileVersionInfo && imports.verQueryValue;
        looked = 1;
    }
    return found ? &imports : 0;
}
