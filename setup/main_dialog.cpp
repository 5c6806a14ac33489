#include "setup/main_dialog.h"

#include <stdlib.h>

#include "common/deployment_log.h"
#include "common/path_text.h"
#include "common/product.h"
#include "common/prompts.h"
#include "common/windows_error.h"
#include "payload/module_resources.h"
#include "platform/user_dialogs.h"
#include "records/registry.h"
#include "resources/resource_ids.h"
#include "setup/install_sequence.h"
#include "state/setup_state.h"

static const char kGreeting[] =
    "Congratulations! You are about to install the world's most powerful tool for creating "
    "family trees and genograms.  Arbolix is intuitive, easy to use, and able to construct the "
    "most complex genealogy trees.";
static const char kSponsorNote[] =
    "Arbolix is supported through the use of advertising and sponsorship.  Arbolix is brought "
    "to you free of charge by paid advertising.";
static const char kLicensePrompt[] = "Please read carefully the License Agreement before installing Arbolix";
static const char kPickFolderTitle[] = "Please select the folder you want to install Arbolix";
static const char kVersionLabel[] = "v " ARBOLIX_VERSION_TEXT;

// Install is enabled exactly when a folder is given and the agreement is accepted.
static void UpdateInstallButton(HWND dialog)
{
    int ready = g_setup.installFolder[0] && IsDlgButtonChecked(dialog, IDC_ACCEPT) == BST_CHECKED;
    EnableWindow(GetDlgItem(dialog, IDOK), ready);
}

static void ShowLicense(HWND dialog)
{
    size_t length;
    char* license = LoadTextResource(IDR_LICENSE_TEXT, &length);
    HWND field = GetDlgItem(dialog, IDC_LICENSE_TEXT);
    SetWindowTextA(field, license ? license : "");
    free(license);
    SetFocus(field);
    SendMessageA(field, EM_SETSEL, 0, 0);
}

static void InitDialog(HWND dialog)
{
    g_setup.mainDialog = dialog;
    SendMessageA(dialog, WM_SETICON, ICON_BIG,
                 (LPARAM)LoadIconA(g_setup.module, MAKEINTRESOURCEA(IDI_ARBOLIX)));
    SetWindowTextA(dialog, kSetupCaption);
    SetDlgItemTextA(dialog, IDC_VERSION_LABEL, kVersionLabel);
    SetDlgItemTextA(dialog, IDC_GREETING, kGreeting);
    SetDlgItemTextA(dialog, IDC_SPONSOR_NOTE, kSponsorNote);
    SetDlgItemTextA(dialog, IDC_LICENSE_PROMPT, kLicensePrompt);
    ShowLicense(dialog);
    LoadChoice(dialog, IDC_ACCEPT, kAgreementValue, 0);
    // Setting the field runs the change handling; an empty folder may leave the field
    // unchanged and send nothing, so Install's state is set here as well.
    SetDlgItemTextA(dialog, IDC_INSTALL_FOLDER, g_setup.installFolder);
    UpdateInstallButton(dialog);
    CheckDlgButton(dialog, IDC_DESKTOP_SHORTCUT, BST_CHECKED);
    if (!g_setup.unattended)
        CheckDlgButton(dialog, IDC_LAUNCH_AFTER_INSTALL, BST_CHECKED);
    if (g_setup.unattended)
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, 0), 0);
}

static void EndSetupDialog(HWND dialog)
{
    EndDialog(dialog, 1);
    PostQuitMessage(0);
}

static void ReadInstallFolder(HWND dialog)
{
    GetDlgItemTextA(dialog, IDC_INSTALL_FOLDER, g_setup.installFolder, sizeof g_setup.installFolder);
}

static void Install(HWND dialog)
{
    StoreChoice(dialog, IDC_ACCEPT, kAgreementValue);
    RecordAgreementAcknowledgement();
    ReadInstallFolder(dialog);
    // Held, logged and stored as Windows reads it: C:/Dir and "C:\Dir. " are C:\Dir.
    MakeFullPath(g_setup.installFolder);
    g_setup.launchAfterInstall = IsDlgButtonChecked(dialog, IDC_LAUNCH_AFTER_INSTALL) == BST_CHECKED;
    Trace("Install %s: desktop shortcut %d, start %d", g_setup.installFolder,
          IsDlgButtonChecked(dialog, IDC_DESKTOP_SHORTCUT), g_setup.launchAfterInstall);
    // The folder and options are fixed for the run: the dialog takes no input until
    // it ends (the message boxes of the run would otherwise let it through).
    g_setup.installing = 1;
    EnableWindow(dialog, FALSE);
    int installed = RunInstallSequence(dialog);
    EnableWindow(dialog, TRUE);
    g_setup.installing = 0;
    // Back to the dialog as its field now reads, unless nobody could use it: then the
    // run ends with its code, as a silent one does.
    if (!installed && !g_setup.silent && !NobodySeesTheScreen()) {
        ReadInstallFolder(dialog);
        UpdateInstallButton(dialog);
        SetForegroundWindow(dialog);
        return;
    }
    EndSetupDialog(dialog);
}

// TRUE when the command was one of the dialog's own.
static INT_PTR OnCommand(HWND dialog, int id, int notification)
{
    // While a run is on only what other programs send or post gets here: none of it
    // may start a second run, end the dialog or change the folder in use.
    if (g_setup.installing)
        return TRUE;
    switch (id) {
    case IDOK:
        Install(dialog);
        return TRUE;
    case IDCANCEL:
        // Escape and the close box arrive as a click too.
        if (notification == BN_CLICKED)
            g_setup.exitCode = ERROR_CANCELLED;
        EndSetupDialog(dialog);
        return TRUE;
    case IDC_INSTALL_FOLDER:
        if (notification != EN_CHANGE)
            return FALSE;
        ReadInstallFolder(dialog);
        UpdateInstallButton(dialog);
        return TRUE;
    case IDC_BROWSE:
        if (PlatformPickFolder(GetActiveWindow(), kPickFolderTitle, g_setup.installFolder,
                               sizeof g_setup.installFolder)) {
            Trace("Folder picked: %s", g_setup.installFolder);
            SetDlgItemTextA(dialog, IDC_INSTALL_FOLDER, g_setup.installFolder);
        }
        return TRUE;
    case IDC_ACCEPT:
    case IDC_DECLINE:
        UpdateInstallButton(dialog);
        return TRUE;
    }
    return FALSE;
}

static INT_PTR CALLBACK SetupDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        InitDialog(dialog);
        return FALSE;  // the license field has the focus
    case WM_COMMAND:
        return OnCommand(dialog, LOWORD(wParam), HIWORD(wParam));
    }
    return FALSE;
}

void RunMainDialog()
{
    HWND dialog = CreateDialogParamA(g_setup.module, MAKEINTRESOURCEA(IDD_SETUP), 0, SetupDialogProc, 0);
    if (!dialog) {
        // Nothing was installed, which 0 would report as done.
        g_setup.exitCode = LastErrorOr(ERROR_INVALID_WINDOW_HANDLE);
        return;
    }
    g_setup.mainDialog = dialog;
    MSG message;
    while (GetMessageA(&message, 0, 0, 0) > 0) {
        if (!IsDialogMessageA(dialog, &message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
}
