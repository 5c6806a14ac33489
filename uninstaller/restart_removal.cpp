#include "uninstaller/restart_removal.h"

#include "common/contained_path.h"
#include "common/deployment_log.h"
#include "common/path_text.h"
#include "common/text_format.h"
#include "common/windows_error.h"
#include "uninstaller/uninstall_state.h"

static int IsDotEntry(const char* name)
{
    return name[0] == '.' && (!name[1] || (name[1] == '.' && !name[2]));
}

// 1 when the folder holds something, and all of it goes once other programs let go:
// deleted files set aside, and folders holding only such files.
static int HoldsOnlyWhatIsGoing(const char* folder)
{
    char pattern[kPathCapacity];
    if (!JoinPath(pattern, folder, "*"))
        return 0;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    int entries = 0, going = 1;
    do {
        const char* name = found.cFileName;
        if (IsDotEntry(name))
            continue;
        ++entries;
        char inner[kPathCapacity];
        going = IsSetAsideFile(name, found.dwFileAttributes) ||
                ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                 !(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) && JoinPath(inner, folder, name) &&
                 HoldsOnlyWhatIsGoing(inner));
    } while (going && FindNextFileA(search, &found));
    FindClose(search);
    return entries && going;
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

// The folder and the folders in it, deepest first: the session manager removes them
// in that order. A folder that reads as removed may still stand (Wine deletes one that
// is not empty only on paper), so each is marked.
static DWORD MarkTreeForRestart(const char* folder)
{
    char pattern[kPathCapacity], inner[kPathCapacity];
    WIN32_FIND_DATAA found;
    HANDLE search = JoinPath(pattern, folder, "*") ? FindFirstFileA(pattern, &found) : INVALID_HANDLE_VALUE;
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const char* name = found.cFileName;
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                !(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) && !IsDotEntry(name) &&
                JoinPath(inner, folder, name))
                MarkTreeForRestart(inner);
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
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
