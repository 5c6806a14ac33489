// Where the installation lies and where the uninstaller may delete.
#pragma once

// The long form of a path that exists (C:\PROGRA~1 gives C:\Program Files); the path
// unchanged when it has none. dest holds MAX_PATH characters.
void LongPathOf(const char* path, char* dest);

// Fills the uninstaller path, the install folder and the log path of the state from
// the uninstaller's own file. 0 when the path is too long to work with.
int LocateInstallation(const char* uninstallerPath);

// Fills the allowed folders: the install folder, the system directory and the shell
// folders of CSIDL 2, 23, 16 and 25 that exist.
void FindAllowedFolders();

// Whether a path lies strictly inside one of the allowed folders.
int IsInAllowedFolder(const char* path);
// Whether a path is one of the allowed folders itself, which are never removed.
int IsAllowedFolder(const char* path);
