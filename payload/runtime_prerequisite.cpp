#include "payload/runtime_prerequisite.h"

#include "common/deployment_log.h"
#include "common/path_text.h"
#include "common/product.h"
#include "common/prompts.h"
#include "common/text_format.h"
#include "platform/desktop_shell.h"
#include "platform/win32.h"
#include "state/setup_state.h"
#include "state/status_line.h"

// The runtime's own installer, started from the setup program's folder and offered
// from the vendor's site.
#define RUNTIME_INSTALLER "InstallMfcDLL.exe"

const char kRuntimeDownloadAddress[] = ARBOLIX_HOME_PAGE RUNTIME_INSTALLER;

enum { kRuntimeTried = 6 };

// "FOLDER\InstallMfcDLL.exe" /silent with the setup program's own folder: a bare name
// would also find a program of that name in the current directory (a downloads
// folder) or on the PATH. 0 when the path cannot be had whole.
static int BuildRuntimeInstallerCommand(char* command, size_t capacity)
{
    char setupProgram[kPathCapacity];
    DWORD length = GetModuleFileNameA(g_setup.module, setupProgram, sizeof setupProgram);
    if (length == 0 || length >= sizeof setupProgram)
        return 0;
    char folder[kPathCapacity];
    char installer[kPathCapacity];
    ParentFolder(setupProgram, folder);
    if (!JoinPath(installer, folder, RUNTIME_INSTALLER))
        return 0;
    FormatText(command, capacity, "\"%s\" /silent", installer);
    return 1;
}

// Opened as the desktop's user where the desktop's shell answers: the browser would
// otherwise run elevated, as setup does.
static void OpenWithShell(const char* target)
{
    ShowWaitCursor();
    DesktopShell* shell = PlatformFindDesktopShell();
    int opened = shell && PlatformOpenAsDesktopUser(shell, target, 0);
    PlatformReleaseDesktopShell(shell);
    if (opened) {
        Trace("Open %s%s", target, kThroughDesktopShell);
        return;
    }
    Trace("Open %s", target);
    ShellExecuteA(0, 0, target, 0, 0, SW_SHOWNORMAL);
}

void InstallRuntimePrerequisite()
{
    if (g_setup.runtimePromptState)
        return;
    g_setup.runtimePromptState = kRuntimeTried;
    char command[kPathCapacity + 16];
    UINT started = BuildRuntimeInstallerCommand(command, sizeof command) ? WinExec(command, SW_HIDE) : 0;
    Trace(RUNTIME_INSTALLER ": %u", started);
    if (started >= 32)
        return;
    g_setup.runtimeMissing = 1;
    // Nobody to see it: nothing is opened.
    int answer = ShowQuestion(MB_YESNOCANCEL | MB_ICONQUESTION, IDNO,
                              "Your machine needs two important system files.\nWould you like to download "
                              "%s (625 KB) to install these files?",
                              kRuntimeDownloadAddress);
    // A box that could not be shown answers 0, which must not mean "not tried yet".
    if (answer)
        g_setup.runtimePromptState = answer;
    if (answer == IDYES)
        OpenWithShell(kRuntimeDownloadAddress);
}
