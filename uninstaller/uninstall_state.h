// The uninstaller's process-wide state: one record, zero at start, plain fields.
#pragma once

#include "platform/win32.h"

// The exit codes the run can end with: Windows error codes.
//   ERROR_SUCCESS (0)         removed (files the user added stay, with their folders)
//   ERROR_CANCELLED (1223)    the user declined; nothing was removed
//   ERROR_FILE_NOT_FOUND (2)  no uninstall log next to the uninstaller; nothing was removed
//   any other code            the first file that could not be removed (5 access denied,
//                             32 in use, ...), or why the log could not be read or the
//                             temporary copy not started; the log, the uninstaller and the
//                             registry records then stay, so that the removal can run again

enum { kAllowedFolderCapacity = 6 };

struct UninstallState {
    HINSTANCE module;
    int unattended;                // -U or -USilent: no confirmation
    int silent;                    // -USilent: no messages either
    char uninstallerPath[MAX_PATH];  // the original uninstaller, in its long form
    char installFolder[MAX_PATH];    // the folder that holds it
    char logPath[MAX_PATH];
    // The only folders anything is deleted in: the install folder first, then the
    // Windows system directory and the four shell folders that hold shortcuts.
    char allowedFolders[kAllowedFolderCapacity][MAX_PATH];
    int allowedFolderCount;
    char failedPath[MAX_PATH];  // the first file that could not be removed
    DWORD exitCode;
};

extern UninstallState g_uninstall;
