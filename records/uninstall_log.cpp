#include "records/uninstall_log.h"

#include <io.h>
#include <stdlib.h>

#include "common/contained_delete.h"
#include "common/folders.h"
#include "common/path_text.h"
#include "common/product.h"
#include "common/prompts.h"
#include "common/setup_state.h"
#include "common/text_format.h"
#include "platform/win32.h"
#include "records/log_cleanup.h"

static int NextLogByte(void* stream)
{
    int c = fgetc((FILE*)stream);
    return c == EOF ? -1 : c;
}

// The context holds the real paths of the install folder and the system directory.
static void DeleteListedFile(const char* path, void* realFolders)
{
    DeleteFileInside(path, (const char* const*)realFolders, 2);
}

// Deletes what the previous log lists; returns its folder lines (malloc'd), or null
// when there is no previous log.
static char* CleanUpPreviousLog(const char* logPath)
{
    FILE* previous = fopen(logPath, "rt");
    if (!previous)
        return 0;
    long length = 0;
    if (fseek(previous, 0, SEEK_END) == 0)
        length = ftell(previous);
    fseek(previous, 0, SEEK_SET);
    if (length < 0)
        length = 0;
    size_t capacity = (size_t)length + 100;
    char* kept = (char*)malloc(capacity);
    if (kept) {
        kept[0] = 0;
        char systemFolder[kPathCapacity];
        UINT systemLength = GetSystemDirectoryA(systemFolder, sizeof systemFolder);
        if (systemLength == 0 || systemLength >= sizeof systemFolder)
            systemFolder[0] = 0;
        char realInstallFolder[kPathCapacity], realSystemFolder[kPathCapacity];
        RealPathOf(g_setup.installFolder, realInstallFolder);
        RealPathOf(systemFolder, realSystemFolder);
        const char* realFolders[2] = {realInstallFolder, realSystemFolder};
        PreviousLogCleanup cleanup = {g_setup.installFolder, systemFolder, kept, capacity, 0,
                                      DeleteListedFile, realFolders};
        SortPreviousLog(NextLogByte, previous, &cleanup);
    }
    fclose(previous);
    return kept;
}

// Every line reaches the system as it is written, so a killed or crashed run leaves
// them all. The disk gets them in groups, by a thread committing once a second and
// before the registry records and at close: a power loss costs at most the last
// second's lines, where a commit per line would cost a disk flush per file.
enum { kLogCommitInterval = 1000 };

static DWORD WINAPI CommitLogEachSecond(void* file)
{
    while (WaitForSingleObject(g_setup.logCommitStop, kLogCommitInterval) == WAIT_TIMEOUT)
        if (!FlushFileBuffers((HANDLE)file))
            g_setup.logCommitFailed = 1;
    return 0;
}

static void StartLogCommits()
{
    HANDLE file = (HANDLE)_get_osfhandle(_fileno(g_setup.uninstallLog));
    HANDLE stop = CreateEventA(0, TRUE, FALSE, 0);
    g_setup.logCommitFailed = 0;
    g_setup.logCommitStop = stop;
    g_setup.logCommitter = stop ? CreateThread(0, 0, CommitLogEachSecond, file, 0, 0) : 0;
}

static void StopLogCommits()
{
    HANDLE committer = g_setup.logCommitter, stop = g_setup.logCommitStop;
    if (committer) {
        SetEvent(stop);
        WaitForSingleObject(committer, INFINITE);
        CloseHandle(committer);
    }
    if (stop)
        CloseHandle(stop);
    g_setup.logCommitter = g_setup.logCommitStop = 0;
}

void CommitUninstallLog()
{
    FILE* log = g_setup.uninstallLog;
    if (!log)
        return;
    if (fflush(log) != 0 || !FlushFileBuffers((HANDLE)_get_osfhandle(_fileno(log))) || g_setup.logCommitFailed)
        g_setup.exitCode = ERROR_INVALID_NAME;
}

// A line the system did not take leaves the uninstaller short of a file: the run
// then ends as one whose log could not be created, and the installation goes on.
static void WriteToLog(const char* text)
{
    if (fputs(text, g_setup.uninstallLog) == EOF || fflush(g_setup.uninstallLog) != 0)
        g_setup.exitCode = ERROR_INVALID_NAME;
    else if (!g_setup.logCommitter)
        CommitUninstallLog();  // no thread to commit in groups: each line, as before
}

int OpenUninstallLog()
{
    ShowWaitCursor();
    char logPath[kPathCapacity];
    int pathFits = JoinPath(logPath, g_setup.installFolder, kUninstallLogName);
    int createdFolder = CreateFolderChain(g_setup.installFolder) == ERROR_SUCCESS;
    char* keptFolderLines = 0;
    if (pathFits) {
        keptFolderLines = CleanUpPreviousLog(logPath);
        SetFileAttributesA(logPath, FILE_ATTRIBUTE_NORMAL);
        g_setup.uninstallLog = fopen(logPath, "wt");
        if (g_setup.uninstallLog)
            StartLogCommits();
    }
    if (createdFolder)
        LogCreatedFolder(g_setup.installFolder);
    if (g_setup.uninstallLog) {
        if (keptFolderLines)
            WriteToLog(keptFolderLines);
        free(keptFolderLines);
        return 1;
    }
    free(keptFolderLines);
    g_setup.exitCode = ERROR_INVALID_NAME;
    if (g_setup.silent)
        return 0;
    // A log path too long to be made is still named in full.
    char shownPath[kPathCapacity + sizeof kUninstallLogName];
    if (!pathFits)
        FormatText(shownPath, sizeof shownPath, "%s\\%s", g_setup.installFolder, kUninstallLogName);
    return ShowMessage(MB_YESNOCANCEL | MB_ICONQUESTION,
                       "Unable to create %s.\nUninstalling Arbolix may no longer be done automatically."
                       "\n\nDo you still want to install Arbolix?",
                       pathFits ? logPath : shownPath) == IDYES;
}

static void WriteLogLine(char tag, const char* path)
{
    if (!g_setup.uninstallLog)
        return;
    if (lstrlenA(path) >= kPathCapacity)
        return;
    char line[kPathCapacity + 2];
    FormatText(line, sizeof line, "%c%s\n", tag, path);
    WriteToLog(line);
}

void LogInstalledFile(const char* path)
{
    WriteLogLine(kLogFileTag, path);
}

void LogCreatedFolder(const char* folder)
{
    WriteLogLine(kLogFolderTag, folder);
}

void CreateFolderAndLogIt(const char* folder)
{
    if (CreateFolderChain(folder) == ERROR_SUCCESS)
        LogCreatedFolder(folder);
}

void CloseUninstallLog()
{
    if (!g_setup.uninstallLog)
        return;
    StopLogCommits();
    CommitUninstallLog();
    if (fclose(g_setup.uninstallLog) != 0)
        g_setup.exitCode = ERROR_INVALID_NAME;
    g_setup.uninstallLog = 0;
}
