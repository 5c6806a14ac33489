#include "uninstaller/remove_files.h"

#include <string.h>

#include "common/contained_delete.h"
#include "common/contained_path.h"
#include "common/log_file.h"
#include "common/path_text.h"
#include "common/product.h"
#include "uninstaller/folder_order.h"
#include "uninstaller/uninstall_state.h"

DWORD DeleteFileInInstallation(const char* path)
{
    const char* realFolder = g_uninstall.realInstallFolder;
    return DeleteFileInside(path, &realFolder, 1);
}

void NoteFailure(const char* path, DWORD error, DWORD* firstError)
{
    if (!error || *firstError)
        return;
    *firstError = error;
    if (!g_uninstall.failedPath[0])
        CopyText(g_uninstall.failedPath, sizeof g_uninstall.failedPath, path);
}

// 1 when the folder, really inside the install folder, was empty and is removed.
static int RemoveEmptyFolder(const char* folder)
{
    DeletionCandidate candidate;
    if (OpenDeletionCandidate(folder, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &candidate))
        return 0;
    int removed = (candidate.facts.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                  IsInsideFolder(candidate.realPath, g_uninstall.realInstallFolder) &&
                  DeleteCandidate(&candidate) == 0;
    CloseCandidate(&candidate);
    return removed;
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
        if (!IsInsideFolder(path, g_uninstall.installFolder) || IsSamePath(path, g_uninstall.uninstallerPath) ||
            IsSamePath(path, g_uninstall.logPath))
            continue;
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
