// Shell shortcuts to the installed application, in the common (all users) folders
// while all-users mode is on, else in the current user's own.
#pragma once

#include "platform/win32.h"

// The file-system path of a shell special folder into path (kPathCapacity
// characters, emptied first). Nonzero when one was written.
int GetShellFolderPath(int csidl, char* path);
int GetDesktopFolderPath(char* path);
int GetProgramsFolderPath(char* path);

// Saves a link to the target, working in the target's folder. 1 when saved; else 0,
// with the failure's HRESULT in *failure when it is not null.
int CreateShellLink(const char* linkPath, const char* targetPath, HRESULT* failure);

// Creates linkName in the Programs or desktop folder, logging its path for the
// uninstaller first. A failure in a common folder switches all-users mode off for
// the rest of the run and tries once more in the personal folder. 1 when created;
// each failed save leaves its HRESULT in *failure, which so holds the last.
int CreateProgramsShortcut(const char* linkName, const char* targetPath, HRESULT* failure);
int CreateDesktopShortcut(const char* linkName, const char* targetPath, HRESULT* failure);
