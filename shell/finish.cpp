#include "shell/finish.h"

#include <stdlib.h>

#include "common/deployment_log.h"
#include "common/path_text.h"
#include "common/product.h"
#include "common/prompts.h"
#include "common/text_format.h"
#include "platform/desktop_shell.h"
#include "records/registry.h"
#include "records/uninstall_log.h"
#include "shell/shortcuts.h"
#include "state/setup_state.h"
#include "state/status_line.h"

// The start of the installed application, on a thread of its own. Asking the
// desktop's shell takes a while (under Wine about 0.1 s), so the thread asks for it
// first, while the dialog opens and the files are written, then waits to be told what
// to start. The thread and the run each hold the record; the last to let go frees it.
enum : LONG { kStartNotTaken, kStartToShell, kStartBySetup };
struct ApplicationStart {
    LONG holders;
    LONG taker;              // who has the start: the shell, setup or neither yet
    HANDLE asked;            // set once the fields below are filled in
    const char* parameters;
    char path[kPathCapacity];  // empty: nothing to start
    char commandLine[292];
};
static ApplicationStart* g_start;
static HANDLE g_starter;

// How long the end of a run waits for the desktop's shell: one that does not answer
// (Explorer hung) must not hang the installation, which then starts the application
// itself where the shell has not taken it. Setup's own start is waited for, as always.
static const DWORD kShellPatience = 5000;

static void LetGo(ApplicationStart* start)
{
    if (InterlockedDecrement(&start->holders) == 0) {
        CloseHandle(start->asked);
        free(start);
    }
}

// Starts the application and goes on at once: WinExec would first wait until it is
// ready for input, which the installation does not need.
static void StartApplicationItself(ApplicationStart* start)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION started;
    BOOL ok = CreateProcessA(0, start->commandLine, 0, 0, FALSE, 0, 0, 0, &startup, &started);
    TraceOutcome(ok ? 0 : GetLastError(), "Start %s", start->commandLine);
    if (ok) {
        CloseHandle(started.hThread);
        CloseHandle(started.hProcess);
    }
}

// Setup is elevated: where the desktop's shell answers, it starts the application as
// the desktop's user, as a double click would; else setup starts it itself. The thread
// is in the multithreaded apartment, which keeps no window, so it need not answer
// messages while it waits.
static DWORD WINAPI StartApplication(void* data)
{
    ApplicationStart* start = (ApplicationStart*)data;
    HRESULT com = CoInitializeEx(0, COINIT_MULTITHREADED);
    DesktopShell* shell = SUCCEEDED(com) ? PlatformFindDesktopShell() : 0;
    WaitForSingleObject(start->asked, INFINITE);
    if (start->path[0]) {
        if (shell && InterlockedCompareExchange(&start->taker, kStartToShell, kStartNotTaken) == kStartNotTaken &&
            PlatformOpenAsDesktopUser(shell, start->path, start->parameters))
            Trace("Start %s%s", start->commandLine, kThroughDesktopShell);
        else if (InterlockedExchange(&start->taker, kStartBySetup) != kStartBySetup)
            StartApplicationItself(start);
    }
    PlatformReleaseDesktopShell(shell);
    if (SUCCEEDED(com))
        CoUninitialize();
    LetGo(start);
    return 0;
}

void PrepareApplicationStart()
{
    if (g_start)
        return;
    ApplicationStart* start = (ApplicationStart*)calloc(1, sizeof *start);
    if (!start)
        return;
    start->holders = 2;
    start->asked = CreateEventA(0, TRUE, FALSE, 0);
    g_starter = start->asked ? CreateThread(0, 0, StartApplication, start, 0, 0) : 0;
    if (!g_starter) {
        if (start->asked)
            CloseHandle(start->asked);
        free(start);
        return;
    }
    g_start = start;
}

// Tells the thread what to start (null: nothing), making it if none was prepared.
static void AskForStart(const char* application)
{
    if (application)
        PrepareApplicationStart();
    if (!g_start)
        return;
    g_start->parameters = g_setup.launchAfterInstall ? "" : "/install";
    if (application) {
        CopyText(g_start->path, sizeof g_start->path, application);
        FormatText(g_start->commandLine, sizeof g_start->commandLine,
                   g_start->parameters[0] ? "\"%s\" %s" : "\"%s\"", application, g_start->parameters);
    }
    SetEvent(g_start->asked);
}

// Waits a bounded while for the application's start and lets the thread go.
static void AwaitStart()
{
    if (!g_start)
        return;
    if (WaitForSingleObject(g_starter, kShellPatience) == WAIT_TIMEOUT && g_start->path[0]) {
        LONG taker = InterlockedCompareExchange(&g_start->taker, kStartBySetup, kStartNotTaken);
        if (taker == kStartNotTaken) {
            Trace("The desktop's shell does not answer");
            StartApplicationItself(g_start);
        } else if (taker == kStartBySetup) {
            WaitForSingleObject(g_starter, INFINITE);
        } else {
            Trace("Start %s: the desktop's shell does not answer", g_start->commandLine);
        }
    }
    CloseHandle(g_starter);
    g_starter = 0;
    LetGo(g_start);
    g_start = 0;
}

// The Windows error a failed save carries, else the code of any other failed write.
static DWORD ShortcutFailureCode(HRESULT result)
{
    if (FAILED(result) && HRESULT_FACILITY(result) == FACILITY_WIN32 && HRESULT_CODE(result) != 0)
        return HRESULT_CODE(result);
    return ERROR_WRITE_FAULT;
}

int FinishInstallation(int desktopBoxState, HWND progressWindow, DWORD* failure)
{
    ShowStatus("Creating shortcut...");
    HRESULT failedSave = S_OK;

    // The registry points at the log's uninstaller only once the whole log is on disk:
    // an uninstaller whose log was lost would remove nothing.
    *failure = CommitUninstallLog();
    char uninstaller[kPathCapacity];
    if (*failure)
        Trace("No uninstall entry");
    else if (JoinPath(uninstaller, g_setup.installFolder, kUninstallerName))
        WriteUninstallEntry(uninstaller, kDisplayName);
    WriteFileAssociation();

    // The start goes by while the shortcuts are saved (each save waits for the shell's
    // helper). Short of memory for a thread, the application is not started (a new
    // process would need more).
    char application[kPathCapacity];
    int fits = JoinPath(application, g_setup.installFolder, kApplicationName);
    if (fits && g_setup.runtimeMissing)
        Trace("Not started: no runtime");
    AskForStart(fits && !g_setup.runtimeMissing ? application : 0);
    int created = 0;
    if (fits) {
        created = CreateProgramsShortcut(kLinkName, application, &failedSave);
        if (desktopBoxState)
            created = CreateDesktopShortcut(kLinkName, application, &failedSave) && created;
    } else {
        // Too long to start or link to: reported as a shortcut failure on the folder.
        CopyText(application, sizeof application, g_setup.installFolder);
    }
    AwaitStart();

    CloseProgressWindow(progressWindow);

    if (!created) {
        *failure = ShortcutFailureCode(failedSave);
        ShowMessage(MB_ICONINFORMATION, "Unable to create shortcut to %s", application);
        return 0;
    }
    if (!g_setup.launchAfterInstall && !g_setup.unattended)
        ShowMessage(MB_ICONINFORMATION, "Installation Complete!\n\nA shortcut to the Start menu %shas been created.",
                    desktopBoxState ? "and to your desktop " : "");
    return 1;
}
