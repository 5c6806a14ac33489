// The uninstall log in the install folder: a file line for each installed file and
// shortcut, a folder line for each folder setup created (common/log_format.h).
// Each returns 0 or the Windows error it met; the install sequence keeps the code.
#pragma once

#include "platform/win32.h"

// The steps of starting a log, in the install sequence's order.

// Creates the install folder and holds it open until the log is closed, so that an
// uninstaller still ending cannot remove it meanwhile (if it removed it just before,
// it is made again), and reads its real path through that handle. 1 when this made it.
int HoldInstallFolder();
// Deletes the files the install folder's previous log lists, only what really lies
// inside the install folder and never shortcuts, and returns its folder lines but
// those of the system directory, each ended by "\n" (malloc'd). Null without a
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

// Creates the folder chain and logs the folder only when it did not exist before.
DWORD CreateFolderAndLogIt(const char* folder);

// Commits what the log holds to the disk now (before the registry records name it).
// ERROR_INVALID_NAME when that fails.
DWORD CommitUninstallLog();

// Commits and closes the log and lets the install folder go; a log that is not open is
// left alone. ERROR_INVALID_NAME when the commit or the close fails or any line was lost.
DWORD CloseUninstallLog();
