#include "records/uninstall_log.h"

#include <fcntl.h>
#include <io.h>
#include <stdlib.h>
#include <string.h>

#include "common/contained_create.h"
#include "common/contained_delete.h"
#include "common/contained_path.h"
#include "common/deployment_log.h"
#include "common/folders.h"
#include "common/log_file.h"
#include "common/path_text.h"
#include "common/product.h"
#include "common/prompts.h"
#include "common/text_format.h"
#include "records/install_folder_hold.h"
#include "records/log_cleanup.h"
#include "state/setup_state.h"
#include "state/status_line.h"

// Every line reaches the system as it is written, so a killed or crashed run leaves
// them all. The disk gets them in groups, by a thread committing once a second and
// before the registry records and at close: a power loss costs at most the last
// second's lines, where a commit per line would cost a disk flush per file.
enum { kLogCommitInterval = 1000 };

// The open log's own state, beside the setup state's stream.
static HANDLE g_committer;              // the thread committing the log each second, or null
static HANDLE g_commitStop;             // set to end that thread
static volatile LONG g_commitFailed;    // a commit of that thread failed
static int g_writeFailed;               // a line the system did not take, or its commit failed

static int MakeLogPath(char* path)
{
    return JoinPath(path, g_setup.installFolder, kUninstallLogName);
}

// The previous log's files are deleted only where they really lie inside the install
// folder, and never in the system directory, as its text names it or as this program
// really reaches it (a 32-bit program's system32 is syswow64).
struct CleanupBounds {
    const char* realInstallFolder;
    char systemFolders[2][kPathCapacity];
    const char* listed;  // the file line being taken
};

static int MayCleanUp(const DeletionCandidate& candidate, const void* context)
{
    const CleanupBounds* bounds = (const CleanupBounds*)context;
    // Told with the real path, which the text of the log does not show.
    const char* keptBecause = 0;
    if (!IsInsideFolder(candidate.realPath, bounds->realInstallFolder))
        keptBecause = kKeptOutside;
    else if (candidate.facts.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        keptBecause = "a folder";
    for (const char* systemFolder : bounds->systemFolders)
        if (IsInsideFolder(candidate.realPath, systemFolder))
            keptBecause = kKeptInSystemFolder;
    if (keptBecause)
        Trace("Old file %s kept: %s, %s", bounds->listed, keptBecause, candidate.realPath);
    return !keptBecause;
}

static void DeleteIfMayCleanUp(const char* path, void* context)
{
    CleanupBounds* bounds = (CleanupBounds*)context;
    bounds->listed = path;
    DeletionOutcome outcome;
    DWORD error = DeleteIfAllowed(path, 0, MayCleanUp, bounds, &outcome);
    if (error || outcome == kDeleted)
        TraceOutcome(error, "Old file %s deleted", path);
}

static void TraceKept(const char* path, const char* reason, void*)
{
    Trace("Old file %s kept: %s", path, reason);
}

char* CleanUpPreviousLog()
{
    // The log's own real path, read through the handle its lines are read through,
    // must lie inside the folder's: a log that a link leads to is not this folder's.
    char logPath[kPathCapacity], realLogPath[kPathCapacity];
    LogFile previous;
    if (!g_setup.realInstallFolder[0] || !MakeLogPath(logPath) || ReadLogFile(logPath, &previous, realLogPath))
        return 0;
    size_t capacity = (size_t)previous.length + 2;
    int inside = IsInsideFolder(realLogPath, g_setup.realInstallFolder);
    if (!inside)
        Trace("Old log %s not used: %s", logPath, realLogPath);
    char* kept = inside ? (char*)malloc(capacity) : 0;
    if (kept) {
        kept[0] = 0;
        // Filled field by field: an initializer would be copied from a template in the
        // program's data.
        CleanupBounds bounds;
        bounds.realInstallFolder = g_setup.realInstallFolder;
        char* systemFolder = bounds.systemFolders[0];
        UINT systemLength = GetSystemDirectoryA(systemFolder, kPathCapacity);
        if (systemLength == 0 || systemLength >= kPathCapacity)
            systemFolder[0] = 0;
        RealPathOf(systemFolder, bounds.systemFolders[1]);
        PreviousLogCleanup cleanup = {g_setup.installFolder, systemFolder, kept, capacity, 0,
                                      DeleteIfMayCleanUp, &bounds,  TraceKept};
        LogText text = LogTextOf(previous);
        DeleteLoggedFilesKeepFolderLines(NextLogByte, &text, &cleanup);
    }
    FreeLogFile(&previous);
    return kept;
}

static DWORD WINAPI CommitLogEachSecond(void* file)
{
    while (WaitForSingleObject(g_commitStop, kLogCommitInterval) == WAIT_TIMEOUT)
        if (!FlushFileBuffers((HANDLE)file))
            g_commitFailed = 1;
    return 0;
}

static void StartLogCommits()
{
    HANDLE file = (HANDLE)_get_osfhandle(_fileno(g_setup.uninstallLog));
    g_commitFailed = 0;
    g_commitStop = CreateEventA(0, TRUE, FALSE, 0);
    g_committer = g_commitStop ? CreateThread(0, 0, CommitLogEachSecond, file, 0, 0) : 0;
}

static void StopLogCommits()
{
    if (g_committer) {
        SetEvent(g_commitStop);
        WaitForSingleObject(g_committer, INFINITE);
        CloseHandle(g_committer);
    }
    if (g_commitStop)
        CloseHandle(g_commitStop);
    g_committer = g_commitStop = 0;
}

DWORD OpenUninstallLog()
{
    char logPath[kPathCapacity];
    g_writeFailed = 0;
    if (!MakeLogPath(logPath))
        return ERROR_INVALID_NAME;
    DWORD error;
    HANDLE file = CreateFileInside(logPath, InstallFolderBounds(), FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   FILE_ATTRIBUTE_NORMAL, &error);
    TraceOutcome(error, "Uninstall log %s", logPath);
    if (file == INVALID_HANDLE_VALUE)
        return ERROR_INVALID_NAME;
    int descriptor = _open_osfhandle((intptr_t)file, _O_WRONLY | _O_TEXT);
    g_setup.uninstallLog = descriptor == -1 ? 0 : _fdopen(descriptor, "wt");
    if (!g_setup.uninstallLog) {
        if (descriptor == -1)
            CloseHandle(file);
        else
            _close(descriptor);
        return ERROR_INVALID_NAME;
    }
    StartLogCommits();
    return 0;
}

int AgreeToInstallWithoutLog()
{
    if (g_setup.silent)
        return 0;
    // A log path too long to be made is still named in full.
    char shownPath[kPathCapacity + sizeof kUninstallLogName];
    FormatText(shownPath, sizeof shownPath, "%s\\%s", g_setup.installFolder, kUninstallLogName);
    char logPath[kPathCapacity];
    return ShowMessage(MB_YESNOCANCEL | MB_ICONQUESTION,
                       "Unable to create %s.\nUninstalling Arbolix may no longer be done automatically."
                       "\n\nDo you still want to install Arbolix?",
                       MakeLogPath(logPath) ? logPath : shownPath) == IDYES;
}

DWORD CommitUninstallLog()
{
    FILE* log = g_setup.uninstallLog;
    if (!log || g_writeFailed)
        return ERROR_INVALID_NAME;
    if (fflush(log) != 0 || !FlushFileBuffers((HANDLE)_get_osfhandle(_fileno(log))) || g_commitFailed) {
        g_writeFailed = 1;
        return ERROR_INVALID_NAME;
    }
    return 0;
}

// A line the system did not take leaves the uninstaller short of a file: the run
// then ends as one whose log could not be written, and the installation goes on.
static DWORD WriteToLog(const char* text)
{
    if (!g_setup.uninstallLog)
        return 0;
    if (fputs(text, g_setup.uninstallLog) == EOF || fflush(g_setup.uninstallLog) != 0) {
        g_writeFailed = 1;
        return ERROR_INVALID_NAME;
    }
    // Without the thread, each line is committed.
    if (g_committer || !CommitUninstallLog())
        return 0;
    g_writeFailed = 1;
    return ERROR_INVALID_NAME;
}

static DWORD WriteLogLine(char tag, const char* path)
{
    if (strlen(path) >= kPathCapacity)
        return 0;
    char line[kPathCapacity + 2];
    FormatText(line, sizeof line, "%c%s\n", tag, path);
    return WriteToLog(line);
}

DWORD LogInstalledFile(const char* path)
{
    return WriteLogLine(kLogFileTag, path);
}

DWORD LogCreatedFolder(const char* folder)
{
    return WriteLogLine(kLogFolderTag, folder);
}

DWORD LogLines(const char* lines)
{
    return WriteToLog(lines);
}

// The deepest level of the last folder entered that folder lies in (or is), else the
// install folder: the levels above it were entered in this attempt.
static const char* EnteredLevelAbove(const char* folder, char* entered)
{
    CopyText(entered, kPathCapacity, g_setup.folderEntered);
    for (; IsInsideFolder(entered, g_setup.installFolder); ParentFolder(entered, entered))
        if (IsSamePath(folder, entered) || IsInsideFolder(folder, entered))
            return entered;
    return g_setup.installFolder;
}

DWORD CreateFolderAndLogIt(const char* folder, const char* realFolder)
{
    int created = 0;
    DWORD error = 0;
    if (realFolder == kWhereItStands) {
        created = CreateFolderChain(folder) == ERROR_SUCCESS;
    } else {
        // Each level entered costs a look at it through a handle (under Wine about a
        // millisecond), and entries mostly follow one another in a folder and its
        // neighbours: the levels shared with the last folder entered are not entered
        // again. A link swapped in later still lets nothing out: each file made is
        // checked through its handle.
        char entered[kPathCapacity];
        error = CreateFolderInside(folder, EnteredLevelAbove(folder, entered), realFolder, &created);
        if (!error)
            CopyText(g_setup.folderEntered, sizeof g_setup.folderEntered, folder);
    }
    // A line the log loses is the log's own failure, reported when it is closed.
    if (created)
        LogCreatedFolder(folder);
    return error;
}

DWORD CloseUninstallLog()
{
    LetGoOfInstallFolder();
    if (!g_setup.uninstallLog)
        return 0;
    StopLogCommits();
    DWORD error = CommitUninstallLog();
    if (fclose(g_setup.uninstallLog) != 0)
        error = ERROR_INVALID_NAME;
    g_setup.uninstallLog = 0;
    return error;
}
