// The start of both Windows programs, in place of the C runtime's start-up code,
// which would bring its own exception handler, thread-local storage, atexit table
// and relocation processing that neither program uses.
#pragma once

#include "platform/win32.h"

// Each program defines it: its work, from the arguments the C runtime splits by its
// own rules (argc is 0 when it could not); the result is the exit code.
int ProgramMain(HINSTANCE instance, int argc, char** argv);
