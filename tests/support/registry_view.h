// The registry view that the program under test writes. A 32-bit program's
// HKLM\Software is the 32-bit view (Software\Wow6432Node) of a 64-bit Windows, a
// 64-bit program's the 64-bit one. The tests of a tree are built for the same
// architecture as its programs, and name that view wherever they open a key.
#pragma once

#include "platform/win32.h"

// Its "ProgramFilesDir" follows the view too.
#ifdef _WIN64
constexpr REGSAM kProgramView = KEY_WOW64_64KEY;
constexpr char kProgramFilesFolder[] = "C:\\Program Files";
#else
constexpr REGSAM kProgramView = KEY_WOW64_32KEY;
constexpr char kProgramFilesFolder[] = "C:\\Program Files (x86)";
#endif
