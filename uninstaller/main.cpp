// The uninstaller's entry: the options, the confirmation, the removal through a
// temporary copy, the closing message and the one exit code.
#include "common/command_line.h"
#include "common/contained_delete.h"
#include "common/deployment_log.h"
#include "common/dll_search.h"
#include "common/product.h"
#include "common/program_start.h"
#include "common/prompts.h"
#include "common/windows_error.h"
#include "uninstaller/install_folders.h"
#include "uninstaller/self_removal.h"
#include "uninstaller/uninstall_state.h"

// What each of the run's own exit codes means; any other is Windows' error.
static const char* ExitCodeMeaning(DWORD code)
{
    switch (code) {
    case ERROR_SUCCESS: return "removed";
    case ERROR_CANCELLED: return "cancelled, nothing was removed";
    case ERROR_SUCCESS_REBOOT_REQUIRED: return "removed, a folder goes at the next restart";
    case kFolderHoldsOthers: return "the folder holds more than Arbolix, nothing was removed";
    case ERROR_NOT_SUPPORTED: return "this Windows cannot remove it safely, nothing was removed";
    case ERROR_CANT_RESOLVE_FILENAME: return "the folder's real path cannot be read, nothing was removed";
    case kLogFileFailure: return "the log file could not be opened";
    }
    return 0;
}

// A log asked for and not to be had ends the run before anything is removed. Its full
// path goes to the temporary copy, which runs in another folder.
static DWORD OpenLogIfAsked(const char* logFile)
{
    if (!logFile)
        return 0;
    DWORD length = GetFullPathNameA(logFile, kPathCapacity, g_uninstall.deploymentLog, 0);
    DWORD error = length == 0                ? LastErrorOr(ERROR_INVALID_NAME)
                  : length >= kPathCapacity ? (DWORD)ERROR_FILENAME_EXCED_RANGE
                                            : OpenDeploymentLog(g_uninstall.deploymentLog);
    if (!error)
        return 0;
    g_uninstall.deploymentLog[0] = 0;
    if (!g_uninstall.silent) {
        char reason[512];
        DescribeError(error, reason, sizeof reason);
        ShowMessage(MB_OK | MB_ICONERROR, "Unable to open the log file %s (%s).\n\nNothing was removed.", logFile,
                    reason);
    }
    return kLogFileFailure;
}

// Where the uninstaller cannot delete only what setup made, it removes nothing.
static DWORD RefuseUnsafeRemoval()
{
    DWORD refusal = !CanDeleteThroughHandles() ? (DWORD)ERROR_NOT_SUPPORTED
                    : InstallFolderHoldsOthers() ? kFolderHoldsOthers
                                                 : 0;
    if (!refusal || g_uninstall.silent)
        return refusal;
    if (refusal == ERROR_NOT_SUPPORTED)
        ShowMessage(MB_OK | MB_ICONERROR, "This version of Windows cannot remove %s safely.\nNothing was removed.",
                    kDisplayName);
    else
        ShowMessage(MB_OK | MB_ICONERROR,
                    "%s cannot be removed from %s: that folder is (or holds) a drive, a Windows, Program Files or "
                    "user folder, with more in it than %s.\nNothing was removed.",
                    kDisplayName, g_uninstall.installFolder, kProductName);
    return refusal;
}

static DWORD Uninstall()
{
    char ownPath[kPathCapacity];
    DWORD length = GetModuleFileNameA(0, ownPath, sizeof ownPath);
    if (length == 0 || length >= sizeof ownPath || !LocateInstallation(ownPath))
        return ERROR_FILENAME_EXCED_RANGE;
    Trace("Install folder %s", g_uninstall.installFolder);
    DWORD refusal = RefuseUnsafeRemoval();
    if (refusal)
        return refusal;

    // The first message comes to the foreground: started from the list of programs, the
    // uninstaller has no window of its own that could.
    if (GetFileAttributesA(g_uninstall.logPath) == INVALID_FILE_ATTRIBUTES) {
        DWORD error = LastErrorOr(ERROR_FILE_NOT_FOUND);
        if (!g_uninstall.silent)
            ShowMessage(MB_OK | MB_ICONERROR | MB_SETFOREGROUND,
                        "Unable to find %s.\nArbolix cannot be removed automatically.", g_uninstall.logPath);
        return error;
    }
    if (!g_uninstall.unattended &&
        ShowMessage(MB_YESNO | MB_ICONQUESTION | MB_SETFOREGROUND,
                    "Are you sure you want to completely remove %s and all of its components?", kDisplayName) !=
            IDYES)
        return ERROR_CANCELLED;

    DWORD result = RemoveThroughTemporaryCopy();
    if (g_uninstall.silent)
        return result;
    if (result == 0)
        ShowMessage(MB_OK | MB_ICONINFORMATION, "%s was successfully removed from your computer.", kDisplayName);
    else if (result == ERROR_SUCCESS_REBOOT_REQUIRED)
        ShowMessage(MB_OK | MB_ICONINFORMATION,
                    "%s was removed from your computer, but another program still holds a file in %s.\nThe folder "
                    "will be removed when Windows restarts.",
                    kDisplayName, g_uninstall.failedPath);
    else if (result == ERROR_CANT_RESOLVE_FILENAME)
        ShowMessage(MB_OK | MB_ICONERROR,
                    "%s cannot be removed: Windows cannot tell where its folder %s really lies, so no file in it "
                    "could be told from others.\nNothing was removed.",
                    kDisplayName, g_uninstall.installFolder);
    else if (g_uninstall.failedPath[0])
        ShowMessage(MB_OK | MB_ICONERROR,
                    "Unable to remove %s.\nClose Arbolix and any program that uses this file, then run the "
                    "uninstaller again.",
                    g_uninstall.failedPath);
    else
        ShowMessage(MB_OK | MB_ICONERROR, "Arbolix could not be removed (error %lu).", result);
    return result;
}

// The uninstaller asks with the product's setup caption and has no window of its own.
static const PromptContext kUninstallPrompts = {kSetupCaption, 0, 0};

int ProgramMain(HINSTANCE instance, int argc, char** argv)
{
    RestrictDllSearchPath();
    LoadCommonControls();
    SetPromptContext(&kUninstallPrompts);
    g_uninstall.module = instance;
    CommandLineOptions options;
    ParseCommandLine(argc, argv, &options);
    g_uninstall.unattended = options.unattended;
    g_uninstall.silent = options.silent;
    WorkerOptions worker;
    if (ParseWorkerOptions(argc, argv, &worker)) {
        // The temporary copy appends to the original's log, which is open already.
        g_uninstall.silent = 1;
        g_uninstall.exitCode = OpenLogIfAsked(options.logFile);
        if (!g_uninstall.exitCode)
            g_uninstall.exitCode = RunAsWorker(worker);
        return (int)g_uninstall.exitCode;
    }
    g_uninstall.exitCode = OpenLogIfAsked(options.logFile);
    if (g_uninstall.exitCode)
        return (int)g_uninstall.exitCode;
    TraceStart("uninstaller", g_uninstall.unattended, g_uninstall.silent, 0);
    g_uninstall.exitCode = Uninstall();
    g_uninstall.exitCode = TraceEnd(g_uninstall.exitCode, ExitCodeMeaning(g_uninstall.exitCode));
    return (int)g_uninstall.exitCode;
}
