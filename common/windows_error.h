// The error a failed Windows call left. Some calls fail without setting one, and a
// failure must never be reported as 0 (success).
#pragma once

#include "platform/win32.h"

inline DWORD LastErrorOr(DWORD fallback)
{
    DWORD error = GetLastError();
    return error ? error : fallback;
}
