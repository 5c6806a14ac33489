#include "setup/startup.h"

#include "setup/command_line.h"
#include "setup/setup_state.h"

#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

void RestrictDllSearchPath()
{
    // Looked up at run time: Windows before 8 (without KB2533623) lacks it.
    typedef BOOL(WINAPI * SetDefaultDllDirectoriesFn)(DWORD);
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    SetDefaultDllDirectoriesFn setDirectories =
        kernel ? (SetDefaultDllDirectoriesFn)(void*)GetProcAddress(kernel, "SetDefaultDllDirectories") : 0;
    if (setDirectories)
        setDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

void ApplyCommandLine(int argc, char* const* argv)
{
    CommandLineOptions options;
    ParseCommandLine(argc, argv, &options);
    g_setup.commandLineFolder = options.folder;
    g_setup.folderForced = options.folderForced;
    g_setup.unattended = options.unattended;
    g_setup.silent = options.silent;
    if (options.currentUserOnly)
        g_setup.allUsers = 0;
}
