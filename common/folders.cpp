#include "common/folders.h"

#include <string.h>

#include "common/path_text.h"
#include "platform/win32.h"

int IsDirectory(const char* path)
{
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Index where the creatable levels begin: after "C:\", or after \\server\share\.
static int FirstLevelIndex(const char* folder)
{
    if (folder[0] == '\\' && folder[1] == '\\') {
        int separators = 0;
        for (int i = 2; folder[i]; ++i)
            if (folder[i] == '\\' && ++separators == 2)
                return i + 1;
        return (int)strlen(folder);
    }
    return folder[1] == ':' ? 3 : -1;
}

int VolumeKeepsAccessLists(const char* folder)
{
    char root[kPathCapacity];
    int first = CopyText(root, sizeof root, folder) ? FirstLevelIndex(root) : -1;
    DWORD flags = 0;
    if (first < 0)
        return 1;
    root[first] = 0;
    return !GetVolumeInformationA(root, 0, 0, 0, 0, &flags, 0, 0) || (flags & FS_PERSISTENT_ACLS);
}

unsigned long CreateFolderChain(const char* folder, const void* lastLevelSecurity)
{
    if (IsDirectory(folder) || strlen(folder) <= 3)
        return ERROR_ALREADY_EXISTS;
    char work[kPathCapacity];
    if (!CopyText(work, sizeof work, folder))
        return ERROR_INVALID_NAME;
    int first = FirstLevelIndex(work);
    if (first < 0)
        return ERROR_INVALID_NAME;
    for (int i = first; work[i]; ++i) {
        if (work[i] != '\\')
            continue;
        work[i] = 0;
        CreateDirectoryA(work, 0);
        work[i] = '\\';
    }
    SECURITY_ATTRIBUTES security = {sizeof security, (void*)lastLevelSecurity, FALSE};
    CreateDirectoryA(work, lastLevelSecurity ? &security : 0);
    return IsDirectory(work) ? ERROR_SUCCESS : ERROR_INVALID_NAME;
}
