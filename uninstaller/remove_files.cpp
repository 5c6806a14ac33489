#include "uninstaller/remove_files.h"

#include <string.h>

#include "common/contained_delete.h"
#include "common/contained_path.h"
#include "common/log_format.h"
#include "common/path_text.h"
#include "common/product.h"
#include "uninstaller/install_folders.h"
#include "uninstaller/log_reader.h"
#include "uninstaller/uninstall_state.h"

enum { kLogSizeLimit = 16 * 1024 * 1024 };

// The whole log in a heap block with a terminator after it. Returns 0 or the error.
static DWORD ReadLog(char** text, DWORD* length)
{
    *text = 0;
    HANDLE file = CreateFileA(g_uninstall.logPath, GENERIC_READ, FILE_SHARE_READ, 0, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, 0);
    if (file == INVALID_HANDLE_VALUE)
        return GetLastError();
    DWORD error = 0;
    DWORD size = GetFileSize(file, 0);
    if (size == INVALID_FILE_SIZE || size > kLogSizeLimit)
        error = ERROR_FILE_TOO_LARGE;
    char* buffer = error ? 0 : (char*)HeapAlloc(GetProcessHeap(), 0, size + 1);
    if (!error && !buffer)
        error = ERROR_NOT_ENOUGH_MEMORY;
    DWORD total = 0;
    while (!error && total < size) {
        DWORD got = 0;
        if (!ReadFile(file, buffer + total, size - total, &got, 0))
            error = GetLastError();
        else if (got == 0)
            break;
        total += got;
    }
    CloseHandle(file);
    if (error) {
        if (buffer) HeapFree(GetProcessHeap(), 0, buffer);
        return error;
    }
    buffer[total] = 0;
    *text = buffer;
    *length = total;
    return 0;
}

DWORD DeleteListedFile(const char* path)
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
    char parent[MAX_PATH];
    CopyText(parent, sizeof parent, folder);
    for (;;) {
        char next[MAX_PATH];
        ParentFolder(parent, next);
        if (!IsInsideFolder(next, g_uninstall.installFolder) || !RemoveEmptyFolder(next))
            return;
        CopyText(parent, sizeof parent, next);
    }
}

DWORD RemoveLoggedFiles(int* installFolderListed)
{
    *installFolderListed = 0;
    char* text;
    DWORD length = 0;
    DWORD error = ReadLog(&text, &length);
    if (error)
        return error;

    // The folder paths, each with its terminator, fit in the log's own length, and
    // every line end could start one.
    size_t lineCount = 1;
    for (DWORD i = 0; i < length; ++i)
        if (text[i] == '\n') ++lineCount;
    HANDLE heap = GetProcessHeap();
    const char** folders = (const char**)HeapAlloc(heap, 0, lineCount * sizeof *folders);
    char* folderText = (char*)HeapAlloc(heap, 0, length + 1);
    if (!folders || !folderText) {
        if (folders) HeapFree(heap, 0, folders);
        if (folderText) HeapFree(heap, 0, folderText);
        HeapFree(heap, 0, text);
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    size_t folderCount = 0, folderTextLength = 0;

    DWORD firstError = 0;
    LogText log = {text, text + length};
    char line[kLogLineCapacity];
    char tag;
    const char* listed;
    while (NextLogLine(&log, line, &tag, &listed)) {
        if (tag == kLogFolderTag) {
            size_t size = strlen(listed) + 1;
            memcpy(folderText + folderTextLength, listed, size);
            folders[folderCount++] = folderText + folderTextLength;
            folderTextLength += size;
            continue;
        }
        char path[MAX_PATH];
        LongPathOf(listed, path);
        if (!IsInsideFolder(path, g_uninstall.installFolder) || IsSamePath(path, g_uninstall.uninstallerPath) ||
            IsSamePath(path, g_uninstall.logPath))
            continue;
        NoteFailure(path, DeleteListedFile(path), &firstError);
    }

    SortDeepestFirst(folders, folderCount);
    for (size_t i = 0; i < folderCount; ++i) {
        char folder[MAX_PATH];
        LongPathOf(folders[i], folder);
        if (IsSamePath(folder, g_uninstall.installFolder))
            *installFolderListed = 1;
        else if (IsInsideFolder(folder, g_uninstall.installFolder))
            RemoveFolderAndEmptyParents(folder);
    }

    HeapFree(heap, 0, folderText);
    HeapFree(heap, 0, folders);
    HeapFree(heap, 0, text);
    return firstError;
}
