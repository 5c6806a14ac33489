#include "common/contained_delete.h"

#include <string.h>

#include "common/contained_path.h"
#include "common/file_stamps.h"
#include "common/late_imports.h"
#include "common/windows_error.h"

// FILE_INFO_BY_HANDLE_CLASS values and the records they take.
enum { kFileStandardInfo = 1, kFileRenameInfo = 3, kFileDispositionInfo = 4, kFileAttributeTagInfo = 9 };
enum { kFileDispositionInfoEx = 21 };
enum { kDispositionDelete = 1, kDispositionPosixSemantics = 2 };
struct FileStandardInfo {
    LARGE_INTEGER allocationSize, endOfFile;
    DWORD numberOfLinks;
    BOOLEAN deletePending, directory;
};
struct FileAttributeTagInfo {
    DWORD attributes;
    DWORD reparseTag;
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
int CanDeleteThroughHandles()
{
    return Kernel().getFinalPathNameByHandle && Kernel().setFileInformationByHandle &&
           Kernel().getFileInformationByHandleEx;
}

static int StartsWith(const char* text, const char* prefix)
{
    for (; *prefix; ++text, ++prefix)
        if (*text != *prefix)
            return 0;
    return 1;
}

// Only an exact conversion names the same file: best fit turns a character the code
// page lacks into a like one ("\u0100" into "A"), and so two folders into one.
static int ToExactAnsi(const WCHAR* wide, char* dest, int capacity)
{
    BOOL lossy = FALSE;
    int utf8 = GetACP() == CP_UTF8;  // takes neither the flag nor the question
    if (!WideCharToMultiByte(CP_ACP, utf8 ? 0 : WC_NO_BEST_FIT_CHARS, wide, -1, dest, capacity, 0, utf8 ? 0 : &lossy) ||
        lossy) {
        dest[0] = 0;
        return 0;
    }
    return 1;
}

// The handle's path as Windows resolved it, "\\?\C:\..." or "\\?\UNC\server\...",
// in the form the log's paths take. A share whose server refuses the normalized name
// (SMB before Windows 10 1709) gives the name as opened; some file systems (RAM
// disks, some network redirectors) cannot tell a drive at all: then the NT path,
// "\Device\...", which matches no path of the log but still compares as it should
// with another real path, read the same way.
int RealPathOfHandle(HANDLE handle, char* dest)
{
    enum { kNormalizedDos = 0, kOpenedDos = 8, kVolumeNameNt = 2 };
    static const DWORD forms[] = {kNormalizedDos, kOpenedDos, kVolumeNameNt};
    dest[0] = 0;
    if (!Kernel().getFinalPathNameByHandle)
        return 0;
    WCHAR wide[kPathCapacity + 8];
    char resolved[kPathCapacity + 8];
    DWORD form = 0;
    for (; form < sizeof forms / sizeof *forms; ++form) {
        DWORD length = Kernel().getFinalPathNameByHandle(handle, wide, kPathCapacity + 8, forms[form]);
        if (length > 0 && length < kPathCapacity + 8)
            break;
    }
    if (form == sizeof forms / sizeof *forms || !ToExactAnsi(wide, resolved, sizeof resolved))
        return 0;
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

int IsSameFile(const DeletionCandidate& candidate, const BY_HANDLE_FILE_INFORMATION& other)
{
    BY_HANDLE_FILE_INFORMATION identity;
    return GetFileInformationByHandle(candidate.handle, &identity) &&
           identity.dwVolumeSerialNumber == other.dwVolumeSerialNumber &&
           identity.nFileIndexHigh == other.nFileIndexHigh && identity.nFileIndexLow == other.nFileIndexLow;
}

// A file's kind, size and number of names, and its reparse tag (0 where unknown), read
// without its volume serial, which costs Wine a round trip to its mount manager: the
// identity is read only where it is compared.
static int ReadFacts(HANDLE handle, BY_HANDLE_FILE_INFORMATION* facts, DWORD* tag)
{
    FileAttributeTagInfo kind = {};
    FileStandardInfo standard = {};
    BOOL(WINAPI* const query)(HANDLE, int, void*, DWORD) = Kernel().getFileInformationByHandleEx;
    *tag = 0;
    if (!query || !query(handle, kFileAttributeTagInfo, &kind, sizeof kind) ||
        !query(handle, kFileStandardInfo, &standard, sizeof standard))
        return 0;
    facts->dwFileAttributes = kind.attributes;
    facts->nNumberOfLinks = standard.numberOfLinks;
    facts->nFileSizeHigh = (DWORD)standard.endOfFile.HighPart;
    facts->nFileSizeLow = standard.endOfFile.LowPart;
    *tag = kind.reparseTag;
    return 1;
}

DWORD DescribeCandidate(HANDLE handle, DeletionCandidate* candidate)
{
    enum { kNameSurrogateBit = 0x20000000 };
    DWORD tag;
    candidate->handle = handle;
    candidate->realPath[0] = 0;
    memset(&candidate->facts, 0, sizeof candidate->facts);
    if (!ReadFacts(handle, &candidate->facts, &tag))
        return LastErrorOr(ERROR_INVALID_HANDLE);
    // A symbolic link or junction leads elsewhere; a cloud-file placeholder or a
    // deduplicated or compressed file is what it is. An unknown tag leaves a link.
    if (tag && !(tag & kNameSurrogateBit))
        candidate->facts.dwFileAttributes &= ~FILE_ATTRIBUTE_REPARSE_POINT;
    return RealPathOfHandle(handle, candidate->realPath) ? 0 : ERROR_FILENAME_EXCED_RANGE;
}

DWORD OpenItself(const char* path, DWORD access, DWORD share, DeletionCandidate* candidate)
{
    candidate->realPath[0] = 0;
    candidate->handle = INVALID_HANDLE_VALUE;
    if (!CanDeleteThroughHandles())
        return ERROR_NOT_SUPPORTED;
    // Backup semantics open folders too, so that a folder is told from a file.
    HANDLE handle = CreateFileA(path, access | FILE_READ_ATTRIBUTES, share, 0, OPEN_EXISTING,
                                FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, 0);
    if (handle == INVALID_HANDLE_VALUE)
        return GetLastError();
    DWORD error = DescribeCandidate(handle, candidate);
    if (error)
        CloseCandidate(candidate);
    return error;
}

DWORD OpenDeletionCandidate(const char* path, DWORD access, DWORD share, DeletionCandidate* candidate)
{
    return OpenItself(path, access | DELETE | FILE_WRITE_ATTRIBUTES, share, candidate);
}

// A name deleted the classic way stays taken until the last handle closes, and
// antivirus, the indexer and previews hold new files open with every sharing: a
// file made again under that name would fail. Windows 10 1607 on NTFS frees the
// name at once (POSIX semantics); elsewhere (older Windows, FAT, Wine 8) the file
// is first given a hidden unique name in its own folder, where it goes when the
// last handle closes.
static DWORD MarkForDeletion(DeletionCandidate* candidate)
{
    DWORD flags = kDispositionDelete | kDispositionPosixSemantics;
    if (Kernel().setFileInformationByHandle(candidate->handle, kFileDispositionInfoEx, &flags, sizeof flags))
        return 0;
    char aside[kPathCapacity];
    int setAside = 0;
    if (!(candidate->facts.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && CopyText(aside, sizeof aside, candidate->realPath)) {
        char* cut = strrchr(aside, '\\');
        if (cut)
            *cut = 0;
        char folder[kPathCapacity];
        setAside = cut && CopyText(folder, sizeof folder, aside) && GetTempFileNameA(folder, kSetAsidePrefix, 0, aside);
        if (setAside && (setAside = !MoveCandidate(candidate, aside)) == 0)
            DeleteFileA(aside);
    }
    FileDispositionInfo disposition = {TRUE};
    if (Kernel().setFileInformationByHandle(candidate->handle, kFileDispositionInfo, &disposition, sizeof disposition)) {
        if (setAside)
            SetFileStamps(candidate->handle, 0, 0, 0, FILE_ATTRIBUTE_HIDDEN);
        return 0;
    }
    DWORD error = LastErrorOr(ERROR_ACCESS_DENIED);
    if (setAside)
        MoveCandidate(candidate, candidate->realPath);
    return error;
}

static int RealPathAtItsName(const char* path, char* dest)
{
    char full[kPathCapacity], longPath[kPathCapacity], folder[kPathCapacity], realFolder[kPathCapacity];
    DWORD length = GetFullPathNameA(path, sizeof full, full, 0);
    if (length == 0 || length >= sizeof full)
        return 0;
    LongPathOf(full, longPath);
    for (size_t end = strlen(longPath); end > 3 && longPath[end - 1] == '\\';)
        longPath[--end] = 0;
    ParentFolder(longPath, folder);
    const char* name = longPath + strlen(folder);
    while (*name == '\\')
        ++name;
    if (!*name)
        return RealPathOf(longPath, dest);
    return RealPathOf(folder, realFolder) && JoinPath(dest, realFolder, name);
}

int StandsAtItsName(HANDLE handle, const char* path, char* real)
{
    char expected[kPathCapacity];
    if (!RealPathOfHandle(handle, real) || !RealPathAtItsName(path, expected))
        return -1;
    return IsSamePath(real, expected);
}

int IsSetAsideFile(const char* name, DWORD attributes)
{
    const char* extension = PathExtension(name);
    return (attributes & FILE_ATTRIBUTE_HIDDEN) && !(attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           strncmp(name, kSetAsidePrefix, sizeof kSetAsidePrefix - 1) == 0 && extension &&
           lstrcmpiA(extension, "tmp") == 0;
}

DWORD DeleteCandidate(DeletionCandidate* candidate)
{
    if (!CanDeleteThroughHandles())
        return ERROR_NOT_SUPPORTED;
    DWORD attributes = candidate->facts.dwFileAttributes;
    int readOnly = (attributes & FILE_ATTRIBUTE_READONLY) && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
    if (readOnly)
        SetFileStamps(candidate->handle, 0, 0, 0, attributes & ~FILE_ATTRIBUTE_READONLY);
    DWORD error = MarkForDeletion(candidate);
    // The attributes belong to the file, which its other names keep: given back to it,
    // without the hidden one a set-aside name took.
    if ((error && readOnly) || (!error && candidate->facts.nNumberOfLinks > 1))
        SetFileStamps(candidate->handle, 0, 0, 0, attributes);
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

DWORD DeleteIfAllowed(const char* path, DWORD access, DeletionRule rule, const void* context,
                      DeletionOutcome* outcome)
{
    DeletionOutcome ignored;
    if (!outcome)
        outcome = &ignored;
    *outcome = kNothingThere;
    DeletionCandidate candidate;
    DWORD error = OpenDeletionCandidate(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &candidate);
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
        return 0;
    *outcome = kLeftAlone;
    if (error)
        return error;
    if (rule(candidate, context)) {
        error = DeleteCandidate(&candidate);
        if (!error)
            *outcome = kDeleted;
    }
    CloseCandidate(&candidate);
    return error;
}
