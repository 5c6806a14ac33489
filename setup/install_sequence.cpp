#include "setup/install_sequence.h"

#include <stdlib.h>

#include "common/deployment_log.h"
#include "common/folders.h"
#include "common/path_text.h"
#include "common/product.h"
#include "common/prompts.h"
#include "common/text_format.h"
#include "payload/install_payload.h"
#include "records/install_folder_hold.h"
#include "records/registry.h"
#include "records/uninstall_log.h"
#include "resources/resource_ids.h"
#include "setup/install_folder.h"
#include "shell/finish.h"
#include "state/setup_state.h"
#include "state/status_line.h"

// Why a folder cannot be installed into ("is on a drive that is not there").
static const char kChooseAnotherFolder[] = "Folder %s %s.\n\nPlease choose another folder.";

// The attempt's exit code is the last failure of its steps.
static void NoteFailure(DWORD error, DWORD* exitCode)
{
    if (error)
        *exitCode = error;
}

// A drive letter the process cannot see (a drive mapped or SUBST'ed by the user
// without elevation is not seen elevated) has no folder to create or hold.
static int DriveIsThere(const char* folder)
{
    char root[] = "?:\\";
    root[0] = folder[0];
    return !folder[0] || folder[1] != ':' || GetDriveTypeA(root) != DRIVE_NO_ROOT_DIR;
}

// A folder the user typed is created only with consent; the proposal is created unasked.
// 0: go on; else the attempt's exit code.
static DWORD ConfirmInstallFolder()
{
    if (!DriveIsThere(g_setup.installFolder)) {
        TraceOutcome(ERROR_INVALID_DRIVE, "Folder %s", g_setup.installFolder);
        g_setup.installFolderUnheld = 1;
        if (!g_setup.silent)
            ShowMessage(MB_OK | MB_ICONERROR, kChooseAnotherFolder, g_setup.installFolder, "is on a drive that is not there");
        return ERROR_INVALID_NAME;
    }
    char proposal[kPathCapacity];
    ResolveDefaultFolder(proposal);
    if (IsDirectory(g_setup.installFolder) || lstrcmpiA(g_setup.installFolder, proposal) == 0)
        return 0;
    int answer = ShowMessage(MB_YESNOCANCEL | MB_ICONQUESTION,
                             "Folder %s does not exist.\n\nWould like to create it?", g_setup.installFolder);
    return answer == IDYES ? 0 : ERROR_CANCELLED;
}

static INT_PTR CALLBACK ProgressDialogProc(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

static void StampInstallDate()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    char date[32];
    FormatText(date, sizeof date, "%d-%d-%d", now.wDay, now.wMonth, now.wYear);
    WriteProductValue(kInstallDateValue, date);
}

// Nothing of a previous installation is deleted while a file the payload replaces is
// in use (a running Arbolix): a run that stops there has deleted nothing, and its
// uninstaller still removes all of it. Without a previous log nothing is deleted.
static int PreviousFilesMayGo(DWORD* failure)
{
    *failure = 0;
    char logPath[kPathCapacity];
    if (!JoinPath(logPath, g_setup.installFolder, kUninstallLogName) ||
        GetFileAttributesA(logPath) == INVALID_FILE_ATTRIBUTES)
        return 1;
    return CheckFilesNotInUse(failure);
}

int StartUninstallLog(DWORD* failure)
{
    *failure = 0;
    ShowWaitCursor();
    int createdFolder = HoldInstallFolder();
    if (g_setup.installFolderIsLink) {
        *failure = ERROR_INVALID_NAME;
        if (!g_setup.silent)
            ShowMessage(MB_OK | MB_ICONERROR, kChooseAnotherFolder, g_setup.installFolder, "is a link to another folder");
        return 0;
    }
    char* keptFolderLines = CleanUpPreviousLog();
    DWORD error = OpenUninstallLog();
    NoteFailure(error, failure);
    if (createdFolder)
        NoteFailure(LogCreatedFolder(g_setup.installFolder), failure);
    if (keptFolderLines)
        NoteFailure(LogLines(keptFolderLines), failure);
    free(keptFolderLines);
    return !error || AgreeToInstallWithoutLog();
}

int RunInstallSequence(HWND dialog)
{
    g_setup.exitCode = ConfirmInstallFolder();
    if (g_setup.exitCode)
        return 0;
    RememberInstallFolder(g_setup.installFolder);

    HWND progress = CreateDialogParamA(g_setup.module, MAKEINTRESOURCEA(IDD_PROGRESS), dialog,
                                       ProgressDialogProc, 0);
    g_setup.statusLine = GetDlgItem(progress, IDC_STATUS_LINE);

    DWORD exitCode = 0, failure, logFailure = 0;
    int goOn = PreviousFilesMayGo(&failure);
    NoteFailure(failure, &exitCode);
    if (goOn)
        goOn = StartUninstallLog(&logFailure);
    if (goOn) {
        goOn = InstallPayload(&failure);
        NoteFailure(failure, &exitCode);
    }
    int installed = 0;
    if (goOn) {
        int desktopShortcut = IsDlgButtonChecked(dialog, IDC_DESKTOP_SHORTCUT) == BST_CHECKED;
        installed = FinishInstallation(desktopShortcut, progress, &failure);
        NoteFailure(failure, &exitCode);
        progress = 0;  // finishing has destroyed it
    }
    NoteFailure(CloseUninstallLog(), &logFailure);
    if (progress)
        CloseProgressWindow(progress);
    g_setup.statusLine = 0;
    StampInstallDate();
    // A log that could not be made or lost a line is the attempt's code whatever
    // failed later: what it lacks, no uninstaller can remove.
    NoteFailure(logFailure, &exitCode);
    g_setup.exitCode = exitCode;
    return installed;
}
