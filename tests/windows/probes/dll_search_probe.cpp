// Loads a DLL by its bare name, for tests that plant DLLs beside it.
//   dll_search_probe load NAME             LoadLibraryA(NAME) as it is
//   dll_search_probe restricted-load NAME  the same after the start-up restriction
// Exits with 1 when the load succeeded, else 0.
#include <stdlib.h>
#include <string.h>

#include "common/dll_search.h"
#include "platform/win32.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    if (__argc != 3)
        return 2;
    if (strcmp(__argv[1], "restricted-load") == 0)
        RestrictDllSearchPath();
    else if (strcmp(__argv[1], "load") != 0)
        return 2;
    return LoadLibraryA(__argv[2]) ? 1 : 0;
}
