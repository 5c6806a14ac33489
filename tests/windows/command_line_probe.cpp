// Stands in for the installed application: writes the command line it was started
// with to "command-line.txt" beside itself, whole or not at all.
#include "platform/win32.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(0, path, MAX_PATH);
    while (length && path[length - 1] != '\\')
        --length;
    if (length + 20 > MAX_PATH)
        return 1;
    lstrcpyA(path + length, "command-line.tmp");
    char finished[MAX_PATH];
    lstrcpyA(finished, path);
    lstrcpyA(finished + length, "command-line.txt");

    const char* commandLine = GetCommandLineA();
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, 0, CREATE_ALWAYS, 0, 0);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    DWORD written;
    WriteFile(file, commandLine, (DWORD)lstrlenA(commandLine), &written, 0);
    CloseHandle(file);
    return MoveFileA(path, finished) ? 0 : 1;
}
