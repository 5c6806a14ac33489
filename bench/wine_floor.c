/* The floor of the Windows calls an installer cannot avoid, under the Wine it runs on:
 * writes a payload's files without inflating anything.
 *
 *   wine_floor.exe bare|checked LIST FOLDER
 *
 * LIST holds a line "SIZE NAME" per file (NAME relative to FOLDER, with '\').
 * bare:    each folder made once; each file created, written in 256 KB chunks, stamped
 *          (SetFileTime) and closed.
 * checked: the same, with what our setup program adds per file: its real path read
 *          through its handle (GetFinalPathNameByHandleW, one call, as the program
 *          reads it), stamps and attributes in one SetFileInformationByHandle, and a
 *          line of an uninstall log in FOLDER.
 * Exit code 0, or the Windows error of the first failure. */
#include <windows.h>
#include <stdio.h>
#include <string.h>

enum { kChunk = 256 * 1024, kPath = 1024 };
static char g_chunk[kChunk];

/* Makes every level of path's folder below root that the last file's folder lacked. */
static void MakeFolders(const char* path, size_t rootLength, char* lastFolder)
{
    char folder[kPath];
    const char* cut = strrchr(path, '\\');
    size_t length = cut ? (size_t)(cut - path) : 0;
    memcpy(folder, path, length);
    folder[length] = 0;
    if (strcmp(folder, lastFolder) == 0)
        return;
    for (size_t i = rootLength + 1; i <= length; ++i) {
        if (folder[i] != '\\' && folder[i] != 0)
            continue;
        char saved = folder[i];
        folder[i] = 0;
        if (strncmp(folder, lastFolder, i) != 0 || (lastFolder[i] != '\\' && lastFolder[i] != 0))
            CreateDirectoryA(folder, 0);
        folder[i] = saved;
    }
    strcpy(lastFolder, folder);
}

static DWORD WriteOne(const char* path, unsigned long long size, int checked, HANDLE log)
{
    HANDLE file = CreateFileA(path, GENERIC_WRITE | (checked ? DELETE | FILE_READ_ATTRIBUTES : 0), FILE_SHARE_READ, 0, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, 0);
    if (file == INVALID_HANDLE_VALUE)
        return GetLastError();
    DWORD error = 0;
    if (checked) {
        /* The wide form: Wine's ANSI one asks for the name twice. A new file's kind is
           not read: CREATE_NEW made it. */
        WCHAR real[kPath];
        if (!GetFinalPathNameByHandleW(file, real, kPath, 0))
            error = GetLastError();
    }
    for (unsigned long long left = size; !error && left > 0;) {
        DWORD step = left < kChunk ? (DWORD)left : (DWORD)kChunk, written = 0;
        if (!WriteFile(file, g_chunk, step, &written, 0) || written != step)
            error = GetLastError() ? GetLastError() : ERROR_WRITE_FAULT;
        left -= step;
    }
    FILETIME stamp = {0x4E1F8000u, 0x01C07D6Bu}; /* 2001-02-03 */
    if (!error && !checked && !SetFileTime(file, &stamp, &stamp, &stamp))
        error = GetLastError();
    if (!error && checked) {
        FILE_BASIC_INFO basic;
        memset(&basic, 0, sizeof basic);
        basic.CreationTime.LowPart = basic.LastWriteTime.LowPart = stamp.dwLowDateTime;
        basic.CreationTime.HighPart = basic.LastWriteTime.HighPart = (LONG)stamp.dwHighDateTime;
        basic.LastAccessTime = basic.LastWriteTime;
        basic.FileAttributes = FILE_ATTRIBUTE_READONLY;
        if (!SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof basic))
            error = GetLastError();
        char line[kPath + 4];
        DWORD length = (DWORD)snprintf(line, sizeof line, "f%s\r\n", path), written = 0;
        if (!error && !WriteFile(log, line, length, &written, 0))
            error = GetLastError();
    }
    CloseHandle(file);
    return error;
}

int main(int argc, char** argv)
{
    if (argc != 4 || (strcmp(argv[1], "bare") != 0 && strcmp(argv[1], "checked") != 0)) {
        fprintf(stderr, "usage: wine_floor.exe bare|checked LIST FOLDER\n");
        return 2;
    }
    int checked = strcmp(argv[1], "checked") == 0;
    FILE* list = fopen(argv[2], "r");
    if (!list)
        return ERROR_FILE_NOT_FOUND;
    memset(g_chunk, 0x5A, sizeof g_chunk);
    const char* root = argv[3];
    CreateDirectoryA(root, 0);
    char lastFolder[kPath] = "", logPath[kPath], path[kPath], name[kPath];
    snprintf(logPath, sizeof logPath, "%s\\Uninstall.cfg", root);
    HANDLE log = checked ? CreateFileA(logPath, FILE_APPEND_DATA, FILE_SHARE_READ, 0, CREATE_ALWAYS, 0, 0) : 0;
    unsigned long long size;
    DWORD error = 0;
    while (!error && fscanf(list, "%llu %1023[^\n]", &size, name) == 2) {
        snprintf(path, sizeof path, "%s\\%s", root, name);
        MakeFolders(path, strlen(root), lastFolder);
        error = WriteOne(path, size, checked, log);
        if (error)
            fprintf(stderr, "wine_floor: %s: error %lu\n", path, error);
    }
    if (log && log != INVALID_HANDLE_VALUE)
        CloseHandle(log);
    fclose(list);
    return (int)error;
}
