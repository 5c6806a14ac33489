#include "setup/install_sequence.h"

#include "common/folders.h"
#include "common/product.h"
#include "common/prompts.h"
#include "common/setup_state.h"
#include "common/text_format.h"
#include "payload/install_payload.h"
#include "records/registry.h"
#include "records/uninstall_log.h"
#include "resources/resource_ids.h"
#include "setup/install_folder.h"
#include "shell/finish.h"

// A folder the user typed is created only with consent; the proposal is created unasked.
static int ConfirmInstallFolder()
{
    char proposal[MAX_PATH];
    ResolveDefaultFolder(proposal);
    if (IsDirectory(g_setup.installFolder) || lstrcmpiA(g_setup.installFolder, proposal) == 0)
        return 1;
    int answer = ShowMessage(MB_YESNOCANCEL | MB_ICONQUESTION,
                             "Folder %s does not exist.\n\nWould like to create it?", g_setup.installFolder);
    return answer == IDYES;
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

int RunInstallSequence(HWND dialog)
{
    if (!ConfirmInstallFolder()) {
        g_setup.exitCode = ERROR_CANCELLED;
        return 0;
    }
    RememberInstallFolder(g_setup.installFolder);

    HWND progress = CreateDialogParamA(g_setup.module, MAKEINTRESOURCEA(IDD_PROGRESS), dialog,
                                       ProgressDialogProc, 0);
    g_setup.statusLine = GetDlgItem(progress, IDC_STATUS_LINE);

    int installed = 0;
    if (OpenUninstallLog() && InstallPayload()) {
        int desktopShortcut = IsDlgButtonChecked(dialog, IDC_DESKTOP_SHORTCUT) == BST_CHECKED;
        installed = FinishInstallation(desktopShortcut, progress);
        progress = 0;  // finishing has destroyed it
    }
    CloseUninstallLog();
    if (progress)
        DestroyWindow(progress);
    g_setup.statusLine = 0;
    StampInstallDate();
    return installed;
}
