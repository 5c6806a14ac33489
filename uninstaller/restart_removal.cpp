#include "uninstaller/restart_removal.h"

#include "common/contained_path.h"
#include "common/deployment_log.h"
#include "common/path_text.h"
#include "common/text_format.h"
#include "common/windows_error.h"
#include "uninstaller/uninstall_state.h"

// Calls visit for each entry of the folder but "." and "..", with the entry's path when
// it is a folder itself (not a link), until visit returns 0. The number of entries
// visited, or -1 when visit stopped.
typedef int (*EntryVisit)(const WIN32_FIND_DATAA& entry, const char* innerFolder);
static int VisitEntries(const char* folder, EntryVisit visit)
{
    char pattern[kPathCapacity], inner[kPathCapacity];
    WIN32_FIND_DATAA found;
    HANDLE search = JoinPath(pattern, folder, "*") ? FindFirstFileA(pattern, &found) : INVALID_HANDLE_VALUE;
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    int visited = 0;
    do {
        const char* name = found.cFileName;
        if (name[0] == '.' && (!name[1] || (name[1] == '.' && !name[2])))
            continue;
        DWORD attributes = found.dwFileAttributes;
        int isFolder = (attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
                       JoinPath(inner, folder, name);
        visited = visit(found, isFolder ? inner : 0) ? visited + 1 : -1;
    } while (visited >= 0 && FindNextFileA(search, &found));
    FindClose(search);
    return visited;
}

static int IsGoing(const WIN32_FIND_DATAA& entry, const char* innerFolder);

// 1 when the folder holds something, and all of it goes once other programs let go:
// deleted files set aside, and folders holding only such files.
static int HoldsOnlyWhatIsGoing(const char* folder)
{
    return VisitEntries(folder, IsGoing) > 0;
}

static int IsGoing(const WIN32_FIND_DATAA& entry, const char* innerFolder)
{
    return IsSetAsideFile(entry.cFileName, entry.dwFileAttributes) || (innerFolder && HoldsOnlyWhatIsGoing(innerFolder));
}

// Waits while the folder holds only what is going, within the run's budget: 1 when it
// no longer does.
static int WaitForWhatIsGoing(const char* folder)
{
    while (HoldsOnlyWhatIsGoing(folder)) {
        DWORD now = GetTickCount();
        if (!g_uninstall.setAsideWaitEnd)
            g_uninstall.setAsideWaitEnd = now + kSetAsideWaitMs;
        if ((LONG)(g_uninstall.setAsideWaitEnd - now) <= 0)
            return 0;
        Sleep(100);
    }
    return 1;
}

// Windows' session manager removes the folder at its next start, if empty then. The
// run ends with ERROR_SUCCESS_REBOOT_REQUIRED, or where it cannot be marked with why.
static DWORD MarkForRestart(const char* path)
{
    // Only what really lies in the install folder, whatever link stands on the way.
    char real[kPathCapacity];
    DWORD error = ERROR_CANT_RESOLVE_FILENAME;
    if (RealPathOf(path, real) &&
        (IsSamePath(real, g_uninstall.realInstallFolder) || IsInsideFolder(real, g_uninstall.realInstallFolder)))
        error = MoveFileExA(real, 0, MOVEFILE_DELAY_UNTIL_REBOOT) ? 0 : LastErrorOr(ERROR_ACCESS_DENIED);
    TraceOutcome(error, "Folder %s kept by a file another program holds, removed at the next restart", path);
    if (!error)
        error = ERROR_SUCCESS_REBOOT_REQUIRED;
    // A folder that could not be marked is the run's outcome, whatever was marked.
    if (error != ERROR_SUCCESS_REBOOT_REQUIRED || !g_uninstall.keptFolderCode ||
        g_uninstall.keptFolderCode == ERROR_SUCCESS_REBOOT_REQUIRED) {
        g_uninstall.keptFolderCode = error;
        CopyText(g_uninstall.keptFolder, sizeof g_uninstall.keptFolder, path);
    }
    return error;
}

static DWORD MarkTreeForRestart(const char* folder);
static int MarkInnerFolder(const WIN32_FIND_DATAA&, const char* innerFolder)
{
    if (innerFolder)
        MarkTreeForRestart(innerFolder);
    return 1;
}

// The folder and the folders in it, deepest first: the session manager removes them
// in that order. A folder that reads as removed may still stand (Wine deletes one that
// is not empty only on paper), so each is marked.
static DWORD MarkTreeForRestart(const char* folder)
{
    VisitEntries(folder, MarkInnerFolder);
    return MarkForRestart(folder);
}

DWORD RemoveFolderOrMarkForRestart(DeletionCandidate* folder, const char* path)
{
    DWORD error = DeleteCandidate(folder);
    if (error != ERROR_DIR_NOT_EMPTY)
        return error;
    if (!WaitForWhatIsGoing(path))
        return MarkTreeForRestart(path);
    return DeleteCandidate(folder);
}

DWORD SettleInstallFolder()
{
    if (!WaitForWhatIsGoing(g_uninstall.installFolder))
        MarkTreeForRestart(g_uninstall.installFolder);
    return g_uninstall.keptFolderCode;
}
