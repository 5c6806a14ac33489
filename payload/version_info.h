// File versions as the version resource gives them: dwFileVersionMS and
// dwFileVersionLS of VS_FIXEDFILEINFO, compared as one 64-bit number.
#pragma once

#include "platform/win32.h"

struct FileVersion {
    DWORD ms;
    DWORD ls;
};

// The file's version, or (0, 0) for a missing file or one without version information.
FileVersion ReadFileVersion(const char* path);

// True when the file's version is strictly lower than the minimum.
int IsOlderThan(const char* path, FileVersion minimum);
