// The uninstall log in the install folder: a file line for each installed file and
// shortcut, a folder line for each folder setup created (common/log_format.h).
// Each returns 0 or the Windows error it met; the install sequence keeps the code.
#pragma once

#include "platform/win32.h"

// The steps of starting a log, in the install sequence's order, after the install
// folder is held (records/install_folder_hold.h).

// Deletes the files the install folder's previous log lists, only what really lies
// inside the install folder and never shortcuts or its Uninstall.exe, and returns
// its folder lines but those of the system directory, each ended by "\n" (malloc'd). Null without a
// previous log, or when the log is not really in the install folder.
char* CleanUpPreviousLog();
// Creates the new log, empty, and starts committing it to disk each second.
// ERROR_INVALID_NAME (123) when it cannot be created.
DWORD OpenUninstallLog();
// Whether to install without the log that could not be created: 0 in silent mode,
// else the user's answer.
int AgreeToInstallWithoutLog();

// Each line reaches the system as soon as it is written, and the disk within a
// second. Nothing is written without a log. ERROR_INVALID_NAME when a line cannot be
// written; the log remembers it until it is closed.
DWORD LogInstalledFile(const char* path);
DWORD LogCreatedFolder(const char* folder);
// Lines carried over as they are, each ended by "\n".
DWORD LogLines(const char* lines);

// Creates the folder chain, under the install folder within realFolder's bounds
// (InstallFolderBounds(), or kWhereItStands for the system directory's), and logs the
// folder only when it did not exist before. 0, or the error that kept the folder from
// being made or entered.
DWORD CreateFolderAndLogIt(const char* folder, const char* realFolder);

// Commits what the log holds to the disk now (before the registry records name it).
// ERROR_INVALID_NAME when that fails, when a line was lost or when there is no log:
// then no uninstaller has what it needs.
DWORD CommitUninstallLog();

// Commits and closes the log and lets go of the install folder; a log that is not
// open is left alone. ERROR_INVALID_NAME when the commit or the close fails or any line was lost.
DWORD CloseUninstallLog();
