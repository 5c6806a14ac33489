// The entry: start-up, the check of the payload, the dialog's message loop, and the
// one exit code.
#include "common/deployment_log.h"
#include "common/dll_search.h"
#include "common/product.h"
#include "common/program_start.h"
#include "common/prompts.h"
#include "payload/module_resources.h"
#include "setup/install_folder.h"
#include "setup/main_dialog.h"
#include "shell/finish.h"
#include "state/setup_state.h"

// What the codes whose Windows text says something else mean here; the others are
// told by Windows' text.
static const char* ExitCodeMeaning(DWORD code)
{
    return code == ERROR_SUCCESS        ? "installed"
           : code == ERROR_INVALID_NAME ? (g_setup.installFolderUnheld ? "install folder not held"
                                                                       : "uninstall log not written whole")
           : code == ERROR_WRITE_FAULT  ? "a file or shortcut not written"
                                        : 0;
}

// A log asked for and not to be had ends the run before anything is made.
static int OpenLogIfAsked()
{
    if (!g_setup.logFile)
        return 1;
    DWORD error = OpenDeploymentLog(g_setup.logFile);
    if (!error)
        return 1;
    if (!g_setup.silent) {
        char reason[512];
        DescribeError(error, reason, sizeof reason);
        ShowMessage(MB_OK | MB_ICONERROR, "Unable to open the log file %s (%s).\n\nArbolix was not installed.",
                    g_setup.logFile, reason);
    }
    return 0;
}

static int Finish(DWORD exitCode)
{
    return (int)TraceEnd(exitCode, ExitCodeMeaning(exitCode));
}

int ProgramMain(HINSTANCE instance, int argc, char** argv)
{
    RestrictDllSearchPath();
    LoadCommonControls();
    g_setup.module = instance;
    ApplyCommandLine(argc, argv);
    if (!OpenLogIfAsked())
        return kLogFileFailure;
    TraceStart("setup", g_setup.unattended, g_setup.silent, g_setup.allUsers);
    // A damaged download or medium installs nothing, not even a folder.
    if (!PayloadIsIntact()) {
        Trace("Payload damaged");
        if (!g_setup.silent)
            ShowMessage(MB_OK | MB_ICONERROR,
                        "This setup program is damaged and cannot install Arbolix.\n\nPlease download it again.");
        return Finish(ERROR_WRITE_FAULT);
    }
    CoInitialize(0);
    PrepareApplicationStart();
    const char* chosen = ResolveDefaultFolder(g_setup.installFolder);
    Trace("Folder %s: %s", g_setup.installFolder, chosen);
    RunMainDialog();
    return Finish(g_setup.exitCode);
}
