// The entry: start-up, the check of the payload, the dialog's message loop, and the
// one exit code.
#include "common/dll_search.h"
#include "common/program_start.h"
#include "common/prompts.h"
#include "payload/module_resources.h"
#include "setup/install_folder.h"
#include "setup/main_dialog.h"
#include "state/setup_state.h"

int ProgramMain(HINSTANCE instance, int argc, char** argv)
{
    RestrictDllSearchPath();
    LoadCommonControls();
    g_setup.module = instance;
    ApplyCommandLine(argc, argv);
    // A damaged download or medium installs nothing, not even a folder.
    if (!PayloadIsIntact()) {
        if (!g_setup.silent)
            ShowMessage(MB_OK | MB_ICONERROR,
                        "This setup program is damaged and cannot install Arbolix.\n\nPlease download it again.");
        return ERROR_WRITE_FAULT;
    }
    CoInitialize(0);
    ResolveDefaultFolder(g_setup.installFolder);
    RunMainDialog();
    return (int)g_setup.exitCode;
}
