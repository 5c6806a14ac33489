// The uninstall log as the uninstaller reads it: the line reader both programs use
// over the log's bytes in memory, and the order in which folders are removed.
#pragma once

#include <stddef.h>

#include "common/log_format.h"

struct LogText {
    const char* next;
    const char* end;
};

// Reads the next file or folder line into line (kLogLineCapacity): *tag is
// kLogFileTag or kLogFolderTag and *path the text after it, without its CR LF or LF.
// Lines with another tag, without a path, holding a zero byte or too long for a path
// (260 characters or more) are skipped whole. 0 at the end of the text.
int NextLogLine(LogText* text, char* line, char* tag, const char** path);

// Orders folder paths by their number of components, deepest first; folders of the
// same depth keep their order.
void SortDeepestFirst(const char** folders, size_t count);

// The same path text without regard to ASCII case and trailing '\' characters.
int IsSamePath(const char* a, const char* b);
