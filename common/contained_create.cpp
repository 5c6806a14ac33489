#include "common/contained_create.h"

#include <string.h>

#include "common/contained_delete.h"
#include "common/contained_path.h"
#include "common/path_text.h"
#include "common/windows_error.h"

// A read-only file (as every file setup writes) refuses to be replaced: only then is
// it made writable and tried again. Replacing keeps a file's attributes, so a file
// meant to be writable loses its read-only one first.
static HANDLE ReplaceFile(const char* path, DWORD share, DWORD flagsAndAttributes)
{
    int writable = !(flagsAndAttributes & FILE_ATTRIBUTE_READONLY);
    if (writable)
        SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
    HANDLE file = CreateFileA(path, GENERIC_WRITE, share, 0, CREATE_ALWAYS, flagsAndAttributes, 0);
    if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_ACCESS_DENIED || writable)
        return file;
    if (!SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    return CreateFileA(path, GENERIC_WRITE, share, 0, CREATE_ALWAYS, flagsAndAttributes, 0);
}

// What a name stands for, looked at as itself.
enum { kLink = FILE_ATTRIBUTE_REPARSE_POINT, kFolder = FILE_ATTRIBUTE_DIRECTORY };

static DWORD KindOf(const DeletionCandidate& candidate)
{
    return candidate.facts.dwFileAttributes & (kLink | kFolder);
}

// A file this call made: kept when it really lies inside, else removed through the
// handle that made it (which holds the right to delete for that), not by its name,
// which a link swapped in meanwhile could lead elsewhere.
static DWORD KeepIfInside(HANDLE file, const char* realFolder)
{
    // Its real path alone decides; its facts (whose volume serial costs Wine a round
    // trip to its mount manager) only serve to remove it.
    char realPath[kPathCapacity];
    if (RealPathOfHandle(file, realPath) && IsInsideFolder(realPath, realFolder))
        return 0;
    DeletionCandidate made;
    DescribeCandidate(file, &made);
    DeleteCandidate(&made);
    CloseCandidate(&made);
    return ERROR_CANT_ACCESS_FILE;
}

// An existing name, opened once without following a link at it and checked through
// that handle: inside, a file (plain, read-only, of several names) or a link loses
// the name through the same handle, to be made anew; a folder, or a name that leads
// out, is refused. Nothing is opened by the name between the check and the write.
static DWORD RemoveExisting(const char* path, const char* realFolder)
{
    DeletionCandidate existing;
    DWORD error = OpenDeletionCandidate(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, &existing);
    if (error)
        return error;
    if (!IsInsideFolder(existing.realPath, realFolder))
        error = ERROR_CANT_ACCESS_FILE;
    else if (KindOf(existing) == kFolder)
        error = ERROR_ACCESS_DENIED;
    else
        error = DeleteCandidate(&existing);  // the name is gone when the handle closes
    CloseCandidate(&existing);
    return error;
}

HANDLE CreateFileInside(const char* path, const char* realFolder, DWORD share, DWORD flagsAndAttributes,
                        DWORD* error)
{
    *error = 0;
    HANDLE file = INVALID_HANDLE_VALUE;
    if (realFolder == kWhereItStands) {
        file = ReplaceFile(path, share, flagsAndAttributes);
        if (file == INVALID_HANDLE_VALUE)
            *error = LastErrorOr(ERROR_WRITE_FAULT);
        return file;
    }
    if (!realFolder[0]) {
        *error = ERROR_CANT_ACCESS_FILE;
        return file;
    }
    // A new name costs one call and a look; a link swapped in meanwhile makes it fail.
    // The right to delete is only for removing a file that leads out.
    for (int attempt = 0; attempt < 2; ++attempt) {
        file = CreateFileA(path, GENERIC_WRITE | DELETE | FILE_READ_ATTRIBUTES, share, 0, CREATE_NEW,
                           flagsAndAttributes, 0);
        if (file != INVALID_HANDLE_VALUE) {
            *error = KeepIfInside(file, realFolder);
            return *error ? INVALID_HANDLE_VALUE : file;
        }
        *error = LastErrorOr(ERROR_WRITE_FAULT);
        if ((*error != ERROR_FILE_EXISTS && *error != ERROR_ALREADY_EXISTS) ||
            (*error = RemoveExisting(path, realFolder)) != 0)
            return file;
    }
    *error = ERROR_CANT_ACCESS_FILE;
    return file;
}

DWORD FindFileInUse(const char* path, const char* realFolder)
{
    // Its attributes are touched only where it really lies inside: a folder link on
    // the way may lead elsewhere, where the write refuses it anyway.
    char real[kPathCapacity];
    if (realFolder != kWhereItStands && !(RealPathOf(path, real) && IsInsideFolder(real, realFolder)))
        return 0;
    DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & (kLink | kFolder)))
        return 0;
    // Windows refuses a read-only file to a writer before it looks at who holds it.
    SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
    // Opened for writing and deletion: a running program's image refuses that, as
    // Windows holds it sharing only reading and deletion.
    HANDLE file = CreateFileA(path, GENERIC_WRITE | DELETE, FILE_SHARE_READ | FILE_SHARE_DELETE, 0, OPEN_EXISTING,
                              0, 0);
    DWORD error = file == INVALID_HANDLE_VALUE ? GetLastError() : 0;
    if (!error)
        CloseHandle(file);
    SetFileAttributesA(path, attributes);
    return error == ERROR_SHARING_VIOLATION ? error : 0;
}

// What may be removed at a level's name to make the folder anew: a link inside.
static int IsLinkInside(const DeletionCandidate& candidate, const void* realBase)
{
    return (KindOf(candidate) & kLink) && IsInsideFolder(candidate.realPath, (const char*)realBase);
}

// One level of a folder chain: a real folder inside realBase once this returns 0.
static DWORD EnterLevel(const char* level, const char* realBase, int* created)
{
    const DWORD shareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    for (int attempt = 0; attempt < 2; ++attempt) {
        *created = CreateDirectoryA(level, 0) != 0;
        // A level made here is looked at with the right to delete, to be removed through
        // the same handle if it leads out; one that was there without it, which a
        // program that merely has the folder open (as its current one) does not share.
        DeletionCandidate seen;
        DWORD error = *created ? OpenDeletionCandidate(level, 0, shareAll, &seen) : OpenItself(level, 0, shareAll, &seen);
        if (error)
            return error;
        int inside = IsInsideFolder(seen.realPath, realBase);
        DWORD kind = KindOf(seen);
        if (*created && (!inside || (kind & kLink)))
            error = DeleteCandidate(&seen);  // made here, but through a link
        CloseCandidate(&seen);
        if (error)
            return error;
        if (inside && kind == kFolder)
            return 0;
        if (inside && !kind)
            return ERROR_PATH_NOT_FOUND;  // a file stands at the folder's name
        if (!inside)
            return ERROR_CANT_ACCESS_FILE;
        // A link inside that was there: removed as itself, if what stands there now is
        // still one, and the folder made anew.
        if (!*created && (error = DeleteIfAllowed(level, 0, IsLinkInside, realBase)) != 0)
            return error;
    }
    return ERROR_CANT_ACCESS_FILE;
}

DWORD CreateFolderInside(const char* folder, const char* base, const char* realBase, int* created)
{
    *created = 0;
    if (!realBase[0])
        return ERROR_CANT_ACCESS_FILE;
    if (IsSamePath(folder, base))
        return 0;
    char level[kPathCapacity];
    if (!IsInsideFolder(folder, base) || !CopyText(level, sizeof level, folder))
        return ERROR_CANT_ACCESS_FILE;
    size_t start = strlen(base);
    while (start > 0 && base[start - 1] == '\\')
        --start;
    for (size_t end = start + 1;; ++end) {
        char separator = level[end];
        if (separator != '\\' && separator != 0)
            continue;
        level[end] = 0;
        DWORD error = EnterLevel(level, realBase, created);
        level[end] = separator;
        if (error || !separator)
            return error;
    }
}
