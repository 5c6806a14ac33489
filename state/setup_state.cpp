#include "state/setup_state.h"

#include "common/command_line.h"
#include "common/product.h"
#include "common/prompts.h"

// The high bit of GetVersion is clear on the NT family, where shortcuts default to all users.
static int IsNtFamily()
{
    return (GetVersion() & 0x80000000u) == 0;
}

static const PromptContext kSetupPrompts = {kSetupCaption, &g_setup.mainDialog, &g_setup.installing};

SetupState g_setup;

// Before the program's main: what depends on the system, and whose prompts these are.
static int StartSetupState()
{
    g_setup.allUsers = IsNtFamily();
    SetPromptContext(&kSetupPrompts);
    return 1;
}
static const int kSetupStateStarted = StartSetupState();

void ApplyCommandLine(int argc, char* const* argv)
{
    CommandLineOptions options;
    ParseCommandLine(argc, argv, &options);
    g_setup.commandLineFolder = options.folder;
    g_setup.folderForced = options.folderForced;
    g_setup.unattended = options.unattended;
    g_setup.silent = options.silent;
    g_setup.logFile = options.logFile;
    if (options.currentUserOnly)
        g_setup.allUsers = 0;
}
