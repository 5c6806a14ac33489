// The uninstall log, shared by the setup program that writes it and the uninstaller
// that reads it: kUninstallLogName in the install folder, a text file with CR LF line
// ends where every line is a one-character tag (kLogFileTag or kLogFolderTag, in
// common/product.h) followed directly by a full path. Both read it a line at a time
// with the one reader below.
#pragma once

#include <stddef.h>

enum { kLogLineCapacity = 324 };  // a line of 323 characters at most, its "\n" included

enum LogLineRead {
    kLogEnded = 0,
    kLogLineRead = 1,
    kLogLineSkipped = 2,  // longer than the reader holds, or holding a NUL: consumed whole
};

// Reads the next line, its "\n" included when it has one, into line
// (kLogLineCapacity) from a source that gives the next byte or -1 at its end.
int ReadLogLine(int (*nextByte)(void* source), void* source, char* line);

// The log's bytes in memory, read from next on.
struct LogText {
    const char* next;
    const char* end;
};

// A LogText's next byte, or -1 at its end: a source for ReadLogLine.
int NextLogByte(void* text);

// Reads the next file or folder line into line (kLogLineCapacity): *tag is
// kLogFileTag or kLogFolderTag and *path the text after it, without its CR LF or LF.
// Lines with another tag, without a path, holding a zero byte or too long for a path
// (260 characters or more) are skipped whole. 0 at the end of the text.
int NextLogLine(LogText* text, char* line, char* tag, const char** path);
