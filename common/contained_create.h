// Creating files and folders inside a folder without writing through a link planted
// on the way: a standard user who can write in the folder must not make a program
// that runs as an administrator write somewhere else.
#pragma once

#include "platform/win32.h"

// Given as the real folder of what is written where its name leads, unchecked: the
// system directory's files, and everything on a Windows that cannot read real paths
// (before Vista). An empty real folder is another thing: the folder's real path could
// not be read, and nothing is written into it.
const char* const kWhereItStands = 0;

// Creates the file at path for writing, shared as asked, with the flags and attributes
// given, when it really lies inside realFolder (a real path, as RealPathOf gives it):
// - a new file is made with CREATE_NEW, and its real path, read through its handle,
//   must lie inside (a folder link on the way may lead elsewhere): else it is removed
//   through that handle, which has the right to delete and keeps it while written;
// - an existing name inside (a file plain, read-only or of several names, a symbolic
//   link or junction) is opened once without following a link at it, checked through
//   that handle and loses the name through it; the file is then made anew, as a new
//   one: nothing another name shares is truncated, nothing is opened by the name
//   between the check and the write;
// - a name whose real path leads elsewhere is left alone.
// A file that would not lie inside, or any file when realFolder is empty, is refused
// with ERROR_CANT_ACCESS_FILE. INVALID_HANDLE_VALUE and *error on failure.
HANDLE CreateFileInside(const char* path, const char* realFolder, DWORD share, DWORD flagsAndAttributes,
                        DWORD* error);

// Whether writing path as CreateFileInside writes an existing file would fail because
// another program holds it (as Windows holds a running program's image): opened as
// that write opens it, without writing, its attributes cleared meanwhile and put
// back. ERROR_SHARING_VIOLATION, else 0: also for a missing file, a folder
// or a link (the write replaces a link without opening what it leads to), and for
// any other failure, which the write meets and reports itself, and for a file that
// does not really lie inside realFolder (as CreateFileInside takes it).
DWORD FindFileInUse(const char* path, const char* realFolder);

// Creates folder, below base (base's text must begin it), one level at a time: each
// level created or entered must really lie inside realBase, base's real path, and be a
// real folder. A link standing at a level's name inside is removed as a link and the
// folder made anew; a level made through a link that leads out is removed again.
// *created: folder itself did not exist before. 0, or the Windows error
// (ERROR_CANT_ACCESS_FILE for a level that leads out, or any level when realBase is
// empty; ERROR_PATH_NOT_FOUND for a file standing at a level's name).
DWORD CreateFolderInside(const char* folder, const char* base, const char* realBase, int* created);
