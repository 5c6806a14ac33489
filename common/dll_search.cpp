#include "common/dll_search.h"

#include "common/late_imports.h"

#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

void RestrictDllSearchPath()
{
    if (Kernel().setDefaultDllDirectories)
        Kernel().setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

void LoadCommonControls()
{
    // Bound by the manifest to the system's side-by-side copy, never a planted one.
    LoadLibraryA("comctl32.dll");
}
