// The entry: start-up, the dialog's message loop, and the one exit code.
#include "common/program_start.h"
#include "common/setup_state.h"
#include "common/startup.h"
#include "setup/install_folder.h"
#include "setup/main_dialog.h"

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
