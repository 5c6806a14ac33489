// Windows path text: ANSI, '\' as the only separator, at most 259 characters.
// Every operation checks the length first; none writes past its buffer.
#pragma once

#include <stddef.h>

enum { kPathCapacity = 260 };  // MAX_PATH, terminator included

// Copies src into dest when it fits in capacity (terminator included): 1.
// Otherwise dest becomes empty: 0.
int CopyText(char* dest, size_t capacity, const char* src);

// dest := folder + '\' + name: no doubled separator, one leading '\' of the name
// dropped; an empty folder gives the name unchanged. dest may not alias folder.
// 0 (and dest empty) when the result would not fit in kPathCapacity.
int JoinPath(char* dest, const char* folder, const char* name);

// The same rules with the buffer as the folder. 0 and the buffer unchanged when
// the result would not fit.
int AppendToPath(char* buffer, const char* name);

// The folder part of a path: C:\dir\x gives C:\dir, C:\x gives C:\, a bare name
// gives itself. dest holds kPathCapacity characters; longer paths are cut.
void ParentFolder(const char* path, char* dest);

// The text after the last '.' of the last component, or null when there is none.
const char* PathExtension(const char* path);

// The same path text without regard to ASCII case and trailing '\' characters; an
// empty path is the same as none.
int IsSamePath(const char* a, const char* b);

// Windows only: the long form of a path that exists (C:\PROGRA~1 gives
// C:\Program Files); the path unchanged when it has none. dest holds kPathCapacity
// characters.
void LongPathOf(const char* path, char* dest);

// Windows only: the path as Windows itself reads it, absolute (a relative one is taken
// from the current folder), with '/' read as '\', "." and ".." levels resolved and the
// blanks and dots that end a level dropped (GetFullPathNameA). Left as it is when
// Windows cannot read it or the result does not fit in kPathCapacity characters.
void MakeFullPath(char* path);
