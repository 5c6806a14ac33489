// A DLL planted beside a program: records, through the probe record file, that it
// was loaded.
#include <stdio.h>

#include "platform/win32.h"

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID)
{
    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    char record[MAX_PATH];
    char path[MAX_PATH];
    DWORD length = GetEnvironmentVariableA("ARBOLIX_PROBE_RECORD", record, sizeof record);
    if (length == 0 || length >= sizeof record || !GetModuleFileNameA(module, path, sizeof path))
        return TRUE;
    FILE* file = fopen(record, "ab");
    if (file) {
        fprintf(file, "loaded %s\n", path);
        fclose(file);
    }
    return TRUE;
}
