#include "common/contained_delete.h"

#include "common/contained_path.h"
#include "common/late_imports.h"
#include "common/windows_error.h"

// FILE_INFO_BY_HANDLE_CLASS values and the records they take.
enum { kFileBasicInfo = 0, kFileRenameInfo = 3, kFileDispositionInfo = 4 };
struct FileBasicInfo {
    LARGE_INTEGER creationTime, lastAccessTime, lastWriteTime, changeTime;  // 0: unchanged
    DWORD attributes;
};
struct FileDispositionInfo {
    BOOLEAN deleteFile;
};
struct FileRenameInfo {
    BOOLEAN replaceIfExists;
    HANDLE rootDirectory;
    DWORD nameBytes;
    WCHAR name[kPathCapacity + 4];  // the new path in NT form: "\??\C:\..."
};
static_assert(sizeof(FileBasicInfo) == 40, "FILE_BASIC_INFO's layout");

// The attributes FileBasicInfo may set (FILE_ATTRIBUTE_VALID_SET_FLAGS).
enum { kSettableAttributes = 0x31A7 };

int CanDeleteThroughHandles()
{
    return Kernel().getFinalPathNameByHandle && Kernel().setFileInformationByHandle;
}

static int StartsWith(const char* text, const char* prefix)
{
    for (; *prefix; ++text, ++prefix)
        if (*text != *prefix)
            return 0;
    return 1;
}

// The handle's path as Windows resolved it, "\\?\C:\..." or "\\?\UNC\server\...",
// in the form the log's paths take. Some file systems (RAM disks, some network
// redirectors) cannot tell it so: then the NT path, "\Device\...", which matches no
// path of the log but still compares as it should with another real path.
int RealPathOfHandle(HANDLE handle, char* dest)
{
    enum { kVolumeNameDos = 0, kVolumeNameNt = 2 };
    dest[0] = 0;
    if (!Kernel().getFinalPathNameByHandle)
        return 0;
    char resolved[kPathCapacity + 8];
    DWORD length = Kernel().getFinalPathNameByHandle(handle, resolved, sizeof resolved, kVolumeNameDos);
    if (length == 0 || length >= sizeof resolved) {
        length = Kernel().getFinalPathNameByHandle(handle, resolved, sizeof resolved, kVolumeNameNt);
        return length > 0 && length < sizeof resolved && CopyText(dest, kPathCapacity, resolved);
    }
    if (StartsWith(resolved, "\\\\?\\UNC\\")) {
        resolved[6] = '\\';
        return CopyText(dest, kPathCapacity, resolved + 6);
    }
    return CopyText(dest, kPathCapacity, StartsWith(resolved, "\\\\?\\") ? resolved + 4 : resolved);
}

int RealPathOf(const char* path, char* dest)
{
    dest[0] = 0;
    if (!CanDeleteThroughHandles())
        return 0;
    HANDLE handle = CreateFileA(path, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, 0,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, 0);
    if (handle == INVALID_HANDLE_VALUE)
        return 0;
    int read = RealPathOfHandle(handle, dest);
    CloseHandle(handle);
    return read;
}

DWORD OpenDeletionCandidate(const char* path, DWORD access, DWORD share, DeletionCandidate* candidate)
{
    candidate->realPath[0] = 0;
    candidate->handle = INVALID_HANDLE_VALUE;
    if (!CanDeleteThroughHandles())
        return ERROR_NOT_SUPPORTED;
    // Backup semantics open folders too, so that a folder is told from a file.
    HANDLE handle = CreateFileA(path, access | DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES, share, 0,
                                OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, 0);
    if (handle == INVALID_HANDLE_VALUE)
        return GetLastError();
    if (!GetFileInformationByHandle(handle, &candidate->facts)) {
        DWORD error = LastErrorOr(ERROR_INVALID_HANDLE);
        CloseHandle(handle);
        return error;
    }
    if (!RealPathOfHandle(handle, candidate->realPath)) {
        CloseHandle(handle);
        return ERROR_FILENAME_EXCED_RANGE;
    }
    candidate->handle = handle;
    return 0;
}

static BOOL SetAttributes(HANDLE handle, DWORD attributes)
{
    FileBasicInfo basic = {};
    basic.attributes = attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
    return Kernel().setFileInformationByHandle(handle, kFileBasicInfo, &basic, sizeof basic);
}

DWORD DeleteCandidate(DeletionCandidate* candidate)
{
    if (!CanDeleteThroughHandles())
        return ERROR_NOT_SUPPORTED;
    DWORD attributes = candidate->facts.dwFileAttributes;
    int readOnly = (attributes & FILE_ATTRIBUTE_READONLY) && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
    if (readOnly)
        SetAttributes(candidate->handle, attributes & ~FILE_ATTRIBUTE_READONLY & kSettableAttributes);
    FileDispositionInfo disposition = {TRUE};
    if (Kernel().setFileInformationByHandle(candidate->handle, kFileDispositionInfo, &disposition, sizeof disposition))
        return 0;
    DWORD error = LastErrorOr(ERROR_ACCESS_DENIED);
    if (readOnly)
        SetAttributes(candidate->handle, attributes & kSettableAttributes);
    return error;
}

DWORD MoveCandidate(DeletionCandidate* candidate, const char* newPath)
{
    if (!CanDeleteThroughHandles())
        return ERROR_NOT_SUPPORTED;
    FileRenameInfo rename = {TRUE, 0, 0, {'\\', '?', '?', '\\'}};
    int length = MultiByteToWideChar(CP_ACP, 0, newPath, -1, rename.name + 4, kPathCapacity);
    if (length <= 1)
        return ERROR_FILENAME_EXCED_RANGE;
    rename.nameBytes = (DWORD)(length + 3) * sizeof(WCHAR);
    if (Kernel().setFileInformationByHandle(candidate->handle, kFileRenameInfo, &rename, sizeof rename))
        return 0;
    return LastErrorOr(ERROR_ACCESS_DENIED);
}

void CloseCandidate(DeletionCandidate* candidate)
{
    if (candidate->handle != INVALID_HANDLE_VALUE)
        CloseHandle(candidate->handle);
    candidate->handle = INVALID_HANDLE_VALUE;
}

static int IsInsideAnyFolder(const char* realPath, const char* const* realFolders, int folderCount)
{
    for (int i = 0; i < folderCount; ++i)
        if (IsInsideFolder(realPath, realFolders[i]))
            return 1;
    return 0;
}

DWORD DeleteIfAllowed(const char* path, DWORD access, DeletionRule rule, const void* context)
{
    DeletionCandidate candidate;
    DWORD error = OpenDeletionCandidate(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &candidate);
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
        return 0;
    if (error)
        return error;
    if (rule(candidate, context))
        error = DeleteCandidate(&candidate);
    CloseCandidate(&candidate);
    return error;
}

struct RealFolders {
    const char* const* folders;
    int count;
};

static int IsFileInside(const DeletionCandidate& candidate, const void* context)
{
    const RealFolders* inside = (const RealFolders*)context;
    return !(candidate.facts.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
           IsInsideAnyFolder(candidate.realPath, inside->folders, inside->count);
}

DWORD DeleteFileInside(const char* path, const char* const* realFolders, int folderCount)
{
    RealFolders inside = {realFolders, folderCount};
    return DeleteIfAllowed(path, 0, IsFileInside, &inside);
}
