#include "shell/finish.h"

#include "common/deployment_log.h"
#include "common/path_text.h"
#include "common/product.h"
#include "common/prompts.h"
#include "common/text_format.h"
#include "records/registry.h"
#include "records/uninstall_log.h"
#include "shell/shortcuts.h"
#include "state/setup_state.h"
#include "state/status_line.h"

// Starts the installed application and goes on at once: WinExec would first wait
// until the application is ready for input, which the installation does not need.
static DWORD WINAPI StartApplication(void* commandLineText)
{
    char* commandLine = (char*)commandLineText;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION started;
    BOOL ok = CreateProcessA(0, commandLine, 0, 0, FALSE, 0, 0, 0, &startup, &started);
    TraceOutcome(ok ? 0 : GetLastError(), "Start %s", commandLine);
    if (ok) {
        CloseHandle(started.hThread);
        CloseHandle(started.hProcess);
    }
    return 0;
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

    char application[kPathCapacity];
    int created = 0;
    if (JoinPath(application, g_setup.installFolder, kApplicationName)) {
        char commandLine[292];
        FormatText(commandLine, sizeof commandLine, g_setup.launchAfterInstall ? "\"%s\"" : "\"%s\" /install",
                   application);
        // Creating a process waits until the new one is set up (under Wine 40 to 100 ms),
        // as each shortcut's save waits for the shell's helper: on a thread of its own the
        // start goes by while the shortcuts are saved. Short of memory for a thread, the
        // application is not started (a new process would need more).
        HANDLE starter = 0;
        if (g_setup.runtimeMissing)
            Trace("Not started: no runtime");
        else
            starter = CreateThread(0, 0, StartApplication, commandLine, 0, 0);

        created = CreateProgramsShortcut(kLinkName, application, &failedSave);
        if (desktopBoxState)
            created = CreateDesktopShortcut(kLinkName, application, &failedSave) && created;
        if (starter) {
            WaitForSingleObject(starter, INFINITE);
            CloseHandle(starter);
        }
    } else {
        // Too long to start or link to: reported as a shortcut failure on the folder.
        CopyText(application, sizeof application, g_setup.installFolder);
    }

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
