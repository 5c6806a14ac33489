// Shell shortcuts to the installed application, in the common (all users) folders
// while all-users mode is on, else in the current user's own.
#pragma once

// The file-system path of a shell special folder into path (kPathCapacity
// characters, emptied first). Nonzero when one was written.
int GetShellFolderPath(int csidl, char* path);
int GetDesktopFolderPath(char* path);
int GetProgramsFolderPath(char* path);

// Saves a link to the target, working in the target's folder. 1 when saved; else
// 0, with the failed HRESULT in the setup state's failedLinkSave.
int CreateShellLink(const char* linkPath, const char* targetPath);

// Creates linkName in the Programs or desktop folder, logging its path for the
// uninstaller first. A failure in a common folder switches all-users mode off for
// the rest of the run and tries once more in the personal folder. 1 when created.
int CreateProgramsShortcut(const char* linkName, const char* targetPath);
int CreateDesktopShortcut(const char* linkName, const char* targetPath);
