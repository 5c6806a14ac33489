#include "common/program_start.h"

#include <stdlib.h>

// msvcrt's own splitting of the command line, the one its start-up code calls.
struct CrtStartupInfo {
    int newMode;
};
extern "C" int __cdecl __getmainargs(int* argc, char*** argv, char*** environment, int expandWildcards,
                                     CrtStartupInfo* info);

// The linker's table of static initialisers: -1, the initialisers, 0. They run from
// the last to the first, as the C runtime runs them.
extern "C" void (*__CTOR_LIST__[])();

static void RunStaticInitialisers()
{
    int count = 0;
    while (__CTOR_LIST__[count + 1])
        ++count;
    for (; count > 0; --count)
        __CTOR_LIST__[count]();
}

// The loader keeps the stack only 4-byte aligned on 32-bit Windows.
extern "C" __attribute__((force_align_arg_pointer)) void WinMainCRTStartup()
{
    int argc = 0;
    char** argv = 0;
    char** environment = 0;
    CrtStartupInfo info = {0};
    __getmainargs(&argc, &argv, &environment, 0, &info);
    RunStaticInitialisers();
    // exit, not a return: it flushes and closes what stdio still holds open.
    exit(ProgramMain(GetModuleHandleA(0), argv ? argc : 0, argv));
}
