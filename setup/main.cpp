// The entry: start-up, the dialog's message loop, and the one exit code.
#include "common/dll_search.h"
#include "common/program_start.h"
#include "setup/install_folder.h"
#include "setup/main_dialog.h"
#include "state/setup_state.h"

int ProgramMain(HINSTANCE instance, int argc, char** argv)
{
    RestrictDllSearchPath();
    LoadCommonControls();
    g_setup.module = instance;
    ApplyCommandLine(argc, argv);
    CoInitialize(0);
    ResolveDefaultFolder(g_setup.installFolder);
    RunMainDialog();
    return (int)g_setup.exitCode;
}
