// The uninstaller's process-wide state: one record, zero at start, plain fields.
#pragma once

#include "common/path_text.h"
#include "platform/win32.h"

// The exit code of a refusal to remove a folder that holds more than Arbolix:
// Windows' "The directory cannot be removed".
constexpr DWORD kFolderHoldsOthers = ERROR_CURRENT_DIRECTORY;

// The exit codes the run can end with: Windows error codes.
//   ERROR_SUCCESS (0)         removed (files the user added stay, with their folders)
//   ERROR_CANCELLED (1223)    the user declined; nothing was removed
//   ERROR_SUCCESS_REBOOT_REQUIRED (3010)  removed, but another program (a scanner)
//                             still held a deleted file: its folder goes at the next
//                             restart
//   ERROR_FILE_NOT_FOUND (2)  no uninstall log next to the uninstaller; nothing was removed
//   kFolderHoldsOthers (16)   the uninstaller lies in a drive's root, a Windows, Program
//                             Files or user folder, or one holding such a folder, which
//                             hold more than Arbolix; nothing was removed
//   ERROR_NOT_SUPPORTED (50)  Windows before Vista, where files cannot be deleted safely
//                             (common/contained_delete.h); nothing was removed
//   ERROR_CANT_RESOLVE_FILENAME (1921)  the install folder's real path cannot be read
//                             (common/contained_delete.h); nothing was removed
//   any other code            the first file that could not be removed (5 access denied,
//                             32 in use, ...), or why the log could not be read or the
//                             temporary copy not started; the log, the uninstaller and the
//                             registry records then stay, so that the removal can run again

// The four shell folders that hold shortcuts: Programs and desktop, personal and common.
enum { kShortcutFolderCapacity = 4 };

struct UninstallState {
    HINSTANCE module;
    int unattended;                // -U or -USilent: no confirmation
    int silent;                    // -USilent: no messages either
    char uninstallerPath[kPathCapacity];  // the original uninstaller, in its long form
    char installFolder[kPathCapacity];    // the folder that holds it
    char logPath[kPathCapacity];
    // Where anything is deleted: files at any depth inside the install folder, and only
    // the shortcut setup makes directly in a shortcut folder. Real paths, every link on
    // their way followed (common/contained_delete.h).
    char realInstallFolder[kPathCapacity];
    char shortcutFolders[kShortcutFolderCapacity][kPathCapacity];
    int shortcutFolderCount;
    char failedPath[kPathCapacity];  // the first file that could not be removed
    // The last folder kept by a file another program holds (restart_removal.h), the
    // run's code for it and when its wait for such files ends (0: not begun).
    char keptFolder[kPathCapacity];
    DWORD keptFolderCode;
    DWORD setAsideWaitEnd;
    char deploymentLog[kPathCapacity];   // -Log's file, its full path, or ""
    DWORD exitCode;
};

extern UninstallState g_uninstall;
