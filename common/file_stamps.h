// A file's three times and its attributes, set through its open handle.
#pragma once

#include "platform/win32.h"

// Sets the times given (a null time is left as it is) and the attributes (0: none
// but FILE_ATTRIBUTE_NORMAL) in one call where this Windows has it (Vista): Wine 10
// clears the read-only attribute when only the times are set, as SetFileTime does.
// Before Vista the times alone, with SetFileTime, and the attributes are left as
// the file was created with. 1, or 0 with the error in GetLastError.
int SetFileStamps(HANDLE file, const FILETIME* creation, const FILETIME* lastAccess, const FILETIME* lastWrite,
                  DWORD attributes);
