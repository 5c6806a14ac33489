// A stand-in program for the tests: appends its command line, one line a start, to
// the file named by ARBOLIX_PROBE_RECORD (inherited from the test), and exits.
#include <stdio.h>

#include "platform/win32.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    char record[MAX_PATH];
    DWORD length = GetEnvironmentVariableA("ARBOLIX_PROBE_RECORD", record, sizeof record);
    if (length == 0 || length >= sizeof record)
        return 1;
    FILE* file = fopen(record, "ab");
    if (!file)
        return 2;
    fprintf(file, "%s\n", GetCommandLineA());
    fclose(file);
    return 0;
}
