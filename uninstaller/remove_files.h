// Removes what the uninstall log lists: its files, then its folders.
#pragma once

#include "platform/win32.h"

// Deletes every file line's file inside the allowed folders (read-only cleared first;
// missing files skipped), except the uninstaller and the log themselves, then removes
// the folder lines' folders, deepest first and only when empty, with their empty
// parents up to the install folder. Returns 0, the error of the first file that could
// not be deleted (its path in the state's failedPath), or why the log could not be
// read. *installFolderListed tells whether the log names the install folder as one
// that setup created.
DWORD RemoveLoggedFiles(int* installFolderListed);

// Deletes a file, clearing its read-only attribute first. 0 when it is gone
// (or was never there), else the Windows error.
DWORD DeleteListedFile(const char* path);
