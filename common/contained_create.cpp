#include "common/contained_create.h"

#include "common/contained_delete.h"
#include "common/contained_path.h"
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
        // What has the name is opened as itself, not as what a link leads to, and held
        // meanwhile, so that it cannot be renamed or swapped before it is replaced.
        DeletionCandidate existing;
        *error = OpenDeletionCandidate(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, &existing);
        if (*error)
            return file;
        DWORD kind = existing.facts.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY);
        if (!IsInsideFolder(existing.realPath, realFolder))
            *error = ERROR_CANT_ACCESS_FILE;
        else if (kind == FILE_ATTRIBUTE_DIRECTORY)
            *error = ERROR_ACCESS_DENIED;
        else if (kind)
            *error = DeleteCandidate(&existing);  // a link inside the folder: gone when closed
        else if ((file = ReplaceFile(path, share | FILE_SHARE_READ | FILE_SHARE_DELETE, flagsAndAttributes)) ==
                 INVALID_HANDLE_VALUE)
            *error = LastErrorOr(ERROR_WRITE_FAULT);
        CloseCandidate(&existing);
        if (file != INVALID_HANDLE_VALUE || *error)
            return file;
    }
    if (!*error)
        *error = ERROR_CANT_ACCESS_FILE;
    return file;
}
