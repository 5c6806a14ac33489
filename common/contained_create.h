// Creating a file inside a folder without writing through a link planted at its name:
// a standard user who can write in the folder must not make a program that runs as
// an administrator write somewhere else.
#pragma once

#include "platform/win32.h"

// Creates the file at path for writing, shared as asked, with the flags and attributes
// given, when the name's real path lies inside realFolder (a real path, as
// RealPathOf gives it). A plain file of that name is replaced, a read-only one too; a
// link standing at the name (a symbolic link or junction) is removed as a link and a
// new file made in its place; a name whose real path leads elsewhere is left alone
// and refused with ERROR_CANT_ACCESS_FILE. With realFolder empty (its real path could
// not be read) the name is replaced as it stands. INVALID_HANDLE_VALUE and *error on
// failure.
HANDLE CreateFileInside(const char* path, const char* realFolder, DWORD share, DWORD flagsAndAttributes,
                        DWORD* error);
