#include "uninstaller/remove_files.h"

#include <string.h>

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
    DWORD attributes = GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return 0;  // a folder is never a file line's to delete
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        SetFileAttributesA(path, attributes & ~FILE_ATTRIBUTE_READONLY);
    if (DeleteFileA(path))
        return 0;
    DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
        return 0;
    if (attributes != INVALID_FILE_ATTRIBUTES)
        SetFileAttributesA(path, attributes);
    return error;
}

static void RemoveFolderAndEmptyParents(const char* folder)
{
    if (!RemoveDirectoryA(folder))
        return;
    // Setup logs only the deepest folder of a chain it created in one step.
    char parent[MAX_PATH];
    CopyText(parent, sizeof parent, folder);
    for (;;) {
        char next[MAX_PATH];
        ParentFolder(parent, next);
        if (!IsInsideFolder(next, g_uninstall.installFolder) || IsAllowedFolder(next) || !RemoveDirectoryA(next))
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
        if (!IsInAllowedFolder(path) || IsSamePath(path, g_uninstall.uninstallerPath) ||
            IsSamePath(path, g_uninstall.logPath))
            continue;
        DWORD fileError = DeleteListedFile(path);
        if (fileError && !firstError) {
            firstError = fileError;
            CopyText(g_uninstall.failedPath, sizeof g_uninstall.failedPath, path);
        }
    }

    SortDeepestFirst(folders, folderCount);
    for (size_t i = 0; i < folderCount; ++i) {
        char folder[MAX_PATH];
        LongPathOf(folders[i], folder);
        if (IsSamePath(folder, g_uninstall.installFolder))
            *installFolderListed = 1;
        else if (IsInAllowedFolder(folder) && !IsAllowedFolder(folder))
            RemoveFolderAndEmptyParents(folder);
    }

    HeapFree(heap, 0, folderText);
    HeapFree(heap, 0, folders);
    HeapFree(heap, 0, text);
    return firstError;
}
