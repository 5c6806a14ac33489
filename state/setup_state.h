// The setup program's process-wide state: one record, plain fields, zero at start but
// for all-users mode, and how the command line fills it. Only the setup program links it.
#pragma once

#include <stdio.h>

#include "common/path_text.h"
#include "platform/win32.h"

// The exit codes the run can end with: Windows error codes with fixed meanings.
//   ERROR_SUCCESS (0)             installed with its log
//   ERROR_CANCELLED (1223)        Cancel, the close box, or a missing folder not created
//   ERROR_INVALID_NAME (123)      the install folder could not be held (its drive not
//                                 there included), or the uninstall log could not be
//                                 created or written
//   ERROR_ACCESS_DENIED (5)       a file could not be written for lack of permission
//   ERROR_SHARING_VIOLATION (32)  a file could not be written because it is in use
//   ERROR_WRITE_FAULT (29)        any other failure to write a file or a shortcut
// and the Windows error of a shortcut save that failed or of a dialog never made.
// The install sequence and the program's entry (setup/) store it; everything else
// returns its failure to them.

struct SetupState {
    HINSTANCE module;
    const char* commandLineFolder;  // token of -Path or -PathDefault, or null
    int folderForced;               // -Path: the folder is used unchanged
    int unattended;                 // -U or -USilent
    int silent;                     // -USilent
    int allUsers;                   // shortcuts go to the common shell folders
    const char* logFile;            // token of -Log, or null
    char installFolder[kPathCapacity];
    // During an attempt: the folder held open, so that nothing removes or swaps it
    // meanwhile, and its real path read through that handle ("" when unknown).
    HANDLE installFolderHold;
    char realInstallFolder[kPathCapacity];
    int installFolderUnheld;        // the last attempt could not hold its folder: what 123 means
    int installFolderIsLink;        // ... because a link stands at its name
    // The folder the last entry was made in, entered once an attempt ("" for none).
    char folderEntered[kPathCapacity];
    int launchAfterInstall;
    int runtimeMissing;             // the runtime prerequisite could not be installed
    int runtimePromptState;         // nonzero once the prerequisite was dealt with
    DWORD exitCode;
    HWND mainDialog;
    int installing;                 // an install sequence runs: the dialog takes no commands
    HWND statusLine;
    DWORD statusDrawnAt;            // tick count when an entry's name was last drawn
    DWORD windowsAnsweredAt;        // tick count when the run last handled its windows' messages
    FILE* uninstallLog;             // open from open uninstall log to close, or null
};

extern SetupState g_setup;

// The state's initialiser also gives the prompts the setup caption, the main dialog
// and, while an install runs, the dropping of queued input.

// Applies the options of the argument vector to the setup state.
void ApplyCommandLine(int argc, char* const* argv);
