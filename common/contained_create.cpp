#include "common/contained_create.h"

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

static int IsLinkInside(const DeletionCandidate& candidate, const void* realFolder)
{
    return (candidate.facts.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
           IsInsideFolder(candidate.realPath, (const char*)realFolder);
}

HANDLE CreateFileInside(const char* path, const char* realFolder, DWORD share, DWORD flagsAndAttributes,
                        DWORD* error)
{
    *error = 0;
    HANDLE file = INVALID_HANDLE_VALUE;
    if (!realFolder[0]) {
        file = ReplaceFile(path, share, flagsAndAttributes);
        if (file == INVALID_HANDLE_VALUE)
            *error = LastErrorOr(ERROR_WRITE_FAULT);
        return file;
    }
    // A new name costs one call; a link swapped in meanwhile makes it fail.
    for (int attempt = 0; attempt < 2 && !*error; ++attempt) {
        file = CreateFileA(path, GENERIC_WRITE, share, 0, CREATE_NEW, flagsAndAttributes, 0);
        if (file != INVALID_HANDLE_VALUE)
            return file;
        *error = LastErrorOr(ERROR_WRITE_FAULT);
        if (*error != ERROR_FILE_EXISTS && *error != ERROR_ALREADY_EXISTS)
            return file;
        // What has the name is looked at as itself, not as what a link leads to, and
        // held meanwhile (an open for reading counts where one for attributes does not),
        // so that it cannot be renamed or swapped before it is replaced.
        HANDLE held = CreateFileA(path, FILE_READ_DATA | FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, 0,
                                  OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, 0);
        if (held == INVALID_HANDLE_VALUE) {
            *error = LastErrorOr(ERROR_WRITE_FAULT);
            return file;
        }
        BY_HANDLE_FILE_INFORMATION facts;
        char realPath[kPathCapacity];
        int inside = GetFileInformationByHandle(held, &facts) && RealPathOfHandle(held, realPath) &&
                     IsInsideFolder(realPath, realFolder);
        DWORD kind = inside ? facts.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY) : 0;
        *error = !inside ? (DWORD)ERROR_CANT_ACCESS_FILE : kind == FILE_ATTRIBUTE_DIRECTORY ? (DWORD)ERROR_ACCESS_DENIED : 0;
        if (!*error && !kind) {
            file = ReplaceFile(path, share | FILE_SHARE_READ, flagsAndAttributes);
            if (file == INVALID_HANDLE_VALUE)
                *error = LastErrorOr(ERROR_WRITE_FAULT);
        }
        CloseHandle(held);
        if (file != INVALID_HANDLE_VALUE || *error)
            return file;
        // A link inside the folder: removed as a link, and the name made anew.
        *error = DeleteIfAllowed(path, 0, IsLinkInside, realFolder);
    }
    if (!*error)
        *error = ERROR_CANT_ACCESS_FILE;
    return file;
}
