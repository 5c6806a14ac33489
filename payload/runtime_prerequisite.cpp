#include "payload/runtime_prerequisite.h"

#include "common/product.h"
#include "common/prompts.h"
#include "common/setup_state.h"
#include "platform/win32.h"

// The runtime's own installer, started by its name and offered from the vendor's site.
#define RUNTIME_INSTALLER "InstallMfcDLL.exe"

const char kRuntimeInstallerCommand[] = RUNTIME_INSTALLER " /silent";
const char kRuntimeDownloadAddress[] = ARBOLIX_HOME_PAGE RUNTIME_INSTALLER;

enum { kRuntimeTried = 6 };

void InstallRuntimePrerequisite()
{
    if (g_setup.runtimePromptState)
        return;
    g_setup.runtimePromptState = kRuntimeTried;
    if (WinExec(kRuntimeInstallerCommand, SW_HIDE) >= 32)
        return;
    g_setup.runtimeMissing = 1;
    int answer = ShowMessage(MB_YESNOCANCEL | MB_ICONQUESTION,
                             "Your machine needs two important system files.\nWould you like to download "
                             "%s (625 KB) to install these files?",
                             kRuntimeDownloadAddress);
    // A box that could not be shown answers 0, which must not mean "not tried yet".
    if (answer)
        g_setup.runtimePromptState = answer;
    if (answer == IDYES)
        OpenWithShell(kRuntimeDownloadAddress);
}
