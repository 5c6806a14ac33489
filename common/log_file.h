// Reading the uninstall log from disk, the same way in both programs: the whole file
// into memory, then a line at a time (common/log_format.h).
#pragma once

#include "common/log_format.h"
#include "platform/win32.h"

// Far more than any installation's log; a larger file is not one of ours.
enum { kLogSizeLimit = 16 * 1024 * 1024 };

struct LogFile {
    char* bytes;  // the file's bytes and a terminator after them (malloc'd), or null
    DWORD length;
};

// Reads the whole file at path, and into realPath (kPathCapacity, when not null) its
// real path read through the same handle ("" when it cannot be told). 0, or the
// Windows error (ERROR_FILE_TOO_LARGE for a file over kLogSizeLimit): then nothing is held.
DWORD ReadLogFile(const char* path, LogFile* log, char* realPath);
void FreeLogFile(LogFile* log);

// The file's bytes as a text to read lines from.
LogText LogTextOf(const LogFile& log);
