// Where the installation lies, where the uninstaller may delete, and the folders it
// must not take for the installation's own.
#pragma once

#include "platform/win32.h"

// Fills the uninstaller path, the install folder and the log path of the state from
// the uninstaller's own file. 0 when the path is too long to work with.
int LocateInstallation(const char* uninstallerPath);

// Fills the real install folder and the real paths of the shell folders of CSIDL 2,
// 23, 16 and 25 that exist: where the uninstaller deletes. 0, or
// ERROR_CANT_RESOLVE_FILENAME when the install folder's real path cannot be read.
DWORD FindAllowedFolders();

// 1 when the install folder holds more than Arbolix: it is, or holds, a drive's root,
// the Windows folder or the system directory, a Program Files folder, the profiles
// folder or a user's profile, or a shell folder (the desktop, documents, the Start
// menu, application data and the like), by its path or its real path.
int InstallFolderHoldsOthers();
