#include "uninstaller/remove_files.h"

#include <string.h>

#include "common/contained_delete.h"
#include "common/contained_path.h"
#include "common/deployment_log.h"
#include "common/log_file.h"
#include "common/path_text.h"
#include "common/product.h"
#include "uninstaller/folder_order.h"
#include "uninstaller/restart_removal.h"
#include "uninstaller/uninstall_state.h"

void TraceRemoval(const char* path, DWORD error, DeletionOutcome outcome)
{
    if (error || outcome == kDeleted)
        TraceOutcome(error, "Remove %s", path);
    else if (outcome == kNothingThere)
        Trace("Already gone: %s", path);
}

// A file, really inside the install folder; path is the one the log names.
static int IsFileInInstallation(const DeletionCandidate& candidate, const void* path)
{
    if (candidate.facts.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        Trace("Kept %s: a folder", (const char*)path);
    else if (!IsInsideFolder(candidate.realPath, g_uninstall.realInstallFolder))
        Trace("Kept %s: it is really %s, outside the install folder", (const char*)path, candidate.realPath);
    else
        return 1;
    return 0;
}

DWORD DeleteFileInInstallation(const char* path)
{
    DeletionOutcome outcome;
    DWORD error = DeleteIfAllowed(path, 0, IsFileInInstallation, path, &outcome);
    TraceRemoval(path, error, outcome);
    return error;
}

void NoteFailure(const char* path, DWORD error, DWORD* firstError)
{
    if (!error || *firstError)
        return;
    *firstError = error;
    if (!g_uninstall.failedPath[0])
        CopyText(g_uninstall.failedPath, sizeof g_uninstall.failedPath, path);
}

// 1 when the folder, really inside the install folder, was empty and is removed, or
// is marked for removal at the next restart.
static int RemoveEmptyFolder(const char* folder)
{
    DeletionCandidate candidate;
    if (OpenDeletionCandidate(folder, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &candidate))
        return 0;
    DWORD error = ERROR_DIRECTORY;
    if (!(candidate.facts.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        Trace("Kept folder %s: not a folder", folder);
    else if (!IsInsideFolder(candidate.realPath, g_uninstall.realInstallFolder))
        Trace("Kept folder %s: it is really %s, outside the install folder", folder, candidate.realPath);
    else
        error = RemoveFolderOrMarkForRestart(&candidate, folder);
    if (error != ERROR_DIRECTORY && error != ERROR_SUCCESS_REBOOT_REQUIRED)
        TraceOutcome(error, "Remove folder %s", folder);
    CloseCandidate(&candidate);
    return error == 0 || error == ERROR_SUCCESS_REBOOT_REQUIRED;
}

static void RemoveFolderAndEmptyParents(const char* folder)
{
    if (!RemoveEmptyFolder(folder))
        return;
    // Setup logs only the deepest folder of a chain it created in one step.
    char parent[kPathCapacity];
    CopyText(parent, sizeof parent, folder);
    for (;;) {
        char next[kPathCapacity];
        ParentFolder(parent, next);
        if (!IsInsideFolder(next, g_uninstall.installFolder) || !RemoveEmptyFolder(next))
            return;
        CopyText(parent, sizeof parent, next);
    }
}

DWORD RemoveLoggedFiles(int* installFolderListed)
{
    *installFolderListed = 0;
    LogFile log;
    DWORD error = ReadLogFile(g_uninstall.logPath, &log, 0);
    if (error)
        return error;

    // The folder paths, each with its terminator, fit in the log's own length, and
    // every line end could start one.
    size_t lineCount = 1;
    for (DWORD i = 0; i < log.length; ++i)
        if (log.bytes[i] == '\n') ++lineCount;
    HANDLE heap = GetProcessHeap();
    const char** folders = (const char**)HeapAlloc(heap, 0, lineCount * sizeof *folders);
    char* folderText = (char*)HeapAlloc(heap, 0, log.length + 1);
    if (!folders || !folderText) {
        if (folders) HeapFree(heap, 0, folders);
        if (folderText) HeapFree(heap, 0, folderText);
        FreeLogFile(&log);
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    size_t folderCount = 0, folderTextLength = 0;

    DWORD firstError = 0;
    LogText text = LogTextOf(log);
    char line[kLogLineCapacity];
    char tag;
    const char* listed;
    while (NextLogLine(&text, line, &tag, &listed)) {
        if (tag == kLogFolderTag) {
            size_t size = strlen(listed) + 1;
            memcpy(folderText + folderTextLength, listed, size);
            folders[folderCount++] = folderText + folderTextLength;
            folderTextLength += size;
            continue;
        }
        char path[kPathCapacity];
        LongPathOf(listed, path);
        // Shortcuts, outside, have lines of their own (remove_shortcuts).
        const char* extension = PathExtension(path);
        int shortcut = extension && lstrcmpiA(extension, "lnk") == 0;
        if (!IsInsideFolder(path, g_uninstall.installFolder) && !shortcut)
            Trace("Kept %s: outside the install folder", path);
        else if (IsInsideFolder(path, g_uninstall.installFolder) && !IsSamePath(path, g_uninstall.uninstallerPath) &&
                 !IsSamePath(path, g_uninstall.logPath))
            NoteFailure(path, DeleteFileInInstallation(path), &firstError);
    }

    SortDeepestFirst(folders, folderCount);
    for (size_t i = 0; i < folderCount; ++i) {
        char folder[kPathCapacity];
        LongPathOf(folders[i], folder);
        if (IsSamePath(folder, g_uninstall.installFolder))
            *installFolderListed = 1;
        else if (IsInsideFolder(folder, g_uninstall.installFolder))
            RemoveFolderAndEmptyParents(folder);
    }

    HeapFree(heap, 0, folderText);
    HeapFree(heap, 0, folders);
    FreeLogFile(&log);
    return firstError;
}
