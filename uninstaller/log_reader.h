// Reads the uninstall log's text line by line, and orders folders deepest first.
#pragma once

#include <stddef.h>

struct LogLine {
    char tag;          // kLogFileTag or kLogFolderTag
    const char* path;  // the full path after the tag, zero-terminated in the text
};

// Takes the next file or folder line from the text between *cursor and end,
// splitting the text in place (each line end becomes a terminator; CR LF and LF
// both end a line). Lines with another tag, without a path, or too long to be a
// path (260 characters or more) are skipped. 0 at the end of the text.
int NextLogLine(char** cursor, char* end, LogLine* line);

// Orders folder paths by their number of components, deepest first; folders of the
// same depth keep their order.
void SortDeepestFirst(const char** folders, size_t count);
