#include "uninstaller/self_removal.h"

#include "common/contained_delete.h"
#include "common/deployment_log.h"
#include "common/path_text.h"
#include "common/text_format.h"
#include "common/windows_error.h"
#include "uninstaller/install_folders.h"
#include "uninstaller/remove_files.h"
#include "uninstaller/remove_installation.h"
#include "uninstaller/restart_removal.h"
#include "uninstaller/uninstall_state.h"

struct WorkerResult {
    DWORD code;
    char failedPath[kPathCapacity];
};

enum { kRetryCount = 50, kRetryMs = 100 };

// A new, empty file of a unique name in the temporary folder; folder and path hold
// kPathCapacity characters. 0 or the error.
static DWORD MakeTemporaryFile(char* folder, char* path)
{
    DWORD length = GetTempPathA(kPathCapacity, folder);
    if (length == 0 || length >= kPathCapacity)
        return LastErrorOr(ERROR_PATH_NOT_FOUND);
    if (!GetTempFileNameA(folder, "Arb", 0, path))
        return LastErrorOr(ERROR_CANNOT_MAKE);
    return 0;
}

// Makes the temporary copy and opens it for deletion on close, inheritable (or
// INVALID_HANDLE_VALUE where Windows cannot).
static DWORD MakeTemporaryCopy(char* tempFolder, char* copyPath, HANDLE* deleteOnClose)
{
    DWORD error = MakeTemporaryFile(tempFolder, copyPath);
    if (error)
        return error;
    // The copy takes the read-only attribute of the installed file: clear it, or the
    // deletion on close would be refused.
    if (!CopyFileA(g_uninstall.uninstallerPath, copyPath, FALSE) ||
        !SetFileAttributesA(copyPath, FILE_ATTRIBUTE_NORMAL)) {
        error = LastErrorOr(ERROR_CANNOT_MAKE);
        DeleteFileA(copyPath);
        return error;
    }
    SECURITY_ATTRIBUTES inherited = {sizeof inherited, 0, TRUE};
    *deleteOnClose = CreateFileA(copyPath, 0, FILE_SHARE_READ | FILE_SHARE_DELETE, &inherited, OPEN_EXISTING,
                                 FILE_FLAG_DELETE_ON_CLOSE, 0);
    // Windows 95, 98 and Me know no FILE_SHARE_DELETE: the copy then goes at the next
    // start of Windows, where that can be arranged.
    if (*deleteOnClose == INVALID_HANDLE_VALUE)
        MoveFileExA(copyPath, 0, MOVEFILE_DELAY_UNTIL_REBOOT);
    return 0;
}

static DWORD ReadResult(HANDLE pipe, WorkerResult* result)
{
    DWORD total = 0;
    while (total < sizeof *result) {
        DWORD got = 0;
        if (!ReadFile(pipe, (char*)result + total, sizeof *result - total, &got, 0) || got == 0)
            break;
        total += got;
    }
    return total;
}

// The identity of a file or folder (volume and index), so that what is deleted later
// is that very one, never a newer one at the same path.
static DWORD ReadIdentity(const char* path, BY_HANDLE_FILE_INFORMATION* facts)
{
    HANDLE file = CreateFileA(path, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, 0,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, 0);
    if (file == INVALID_HANDLE_VALUE)
        return LastErrorOr(ERROR_FILE_NOT_FOUND);
    DWORD error = GetFileInformationByHandle(file, facts) ? 0 : LastErrorOr(ERROR_INVALID_HANDLE);
    CloseHandle(file);
    return error;
}

DWORD RemoveThroughTemporaryCopy()
{
    BY_HANDLE_FILE_INFORMATION own;
    char tempFolder[kPathCapacity], copyPath[kPathCapacity];
    HANDLE deleteOnClose = INVALID_HANDLE_VALUE;
    DWORD error = ReadIdentity(g_uninstall.uninstallerPath, &own);
    if (!error)
        error = MakeTemporaryCopy(tempFolder, copyPath, &deleteOnClose);
    if (error)
        return error;

    HANDLE process = GetCurrentProcess();
    HANDLE readEnd = 0, writeEnd = 0, inheritedWriteEnd = 0, inheritedSelf = 0;
    if (!CreatePipe(&readEnd, &writeEnd, 0, 0) ||
        !DuplicateHandle(process, writeEnd, process, &inheritedWriteEnd, 0, TRUE, DUPLICATE_SAME_ACCESS) ||
        !DuplicateHandle(process, process, process, &inheritedSelf, SYNCHRONIZE, TRUE, 0))
        error = LastErrorOr(ERROR_CANNOT_MAKE);
    if (writeEnd) CloseHandle(writeEnd);

    PROCESS_INFORMATION worker = {};
    if (!error) {
        // The copy appends to the deployment log too, by its full path.
        char commandLine[4 * kPathCapacity];
        const char* logPath = g_uninstall.deploymentLog;
        FormatText(commandLine, sizeof commandLine, "\"%s\" %s %lu %lu %lu %lu %lu \"%s\"%s%s%s", copyPath,
                   kWorkerOption, (unsigned long)(ULONG_PTR)inheritedWriteEnd, (unsigned long)(ULONG_PTR)inheritedSelf,
                   (unsigned long)own.dwVolumeSerialNumber, (unsigned long)own.nFileIndexHigh,
                   (unsigned long)own.nFileIndexLow, g_uninstall.uninstallerPath, logPath[0] ? " -Log \"" : "",
                   logPath, logPath[0] ? "\"" : "");
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        if (!CreateProcessA(copyPath, commandLine, 0, 0, TRUE, 0, 0, tempFolder, &startup, &worker))
            error = LastErrorOr(ERROR_CANNOT_MAKE);
    }
    // From here the copy holds the only handles that matter: its file goes with it.
    if (deleteOnClose != INVALID_HANDLE_VALUE)
        CloseHandle(deleteOnClose);
    if (inheritedWriteEnd) CloseHandle(inheritedWriteEnd);
    if (inheritedSelf) CloseHandle(inheritedSelf);
    if (error)
        DeleteFileA(copyPath);

    if (!error) {
        WorkerResult result = {};
        if (ReadResult(readEnd, &result) == sizeof result) {
            error = result.code;
            result.failedPath[kPathCapacity - 1] = 0;
            CopyText(g_uninstall.failedPath, sizeof g_uninstall.failedPath, result.failedPath);
        } else {
            // The copy ended without a report: its own exit code says why.
            DWORD code = ERROR_BROKEN_PIPE;
            if (WaitForSingleObject(worker.hProcess, 30000) == WAIT_OBJECT_0)
                GetExitCodeProcess(worker.hProcess, &code);
            error = code && code != STILL_ACTIVE ? code : ERROR_BROKEN_PIPE;
        }
        CloseHandle(worker.hThread);
        CloseHandle(worker.hProcess);
    }
    if (readEnd) CloseHandle(readEnd);
    return error;
}

// Opens the original's file while the original still runs, so that nothing can
// write it before it is deleted, and only when it is still the very file the
// original was started from. 0 when it is not.
static int HoldOriginalFile(const WorkerOptions& options, DeletionCandidate* original)
{
    if (OpenDeletionCandidate(g_uninstall.uninstallerPath, 0, FILE_SHARE_READ | FILE_SHARE_DELETE, original))
        return 0;
    BY_HANDLE_FILE_INFORMATION started = {};
    started.dwVolumeSerialNumber = options.volumeSerial;
    started.nFileIndexHigh = options.fileIndexHigh;
    started.nFileIndexLow = options.fileIndexLow;
    if (IsSameFile(*original, started))
        return 1;
    CloseCandidate(original);
    return 0;
}

// Moves the held file away from its name, so that the name is free at once: a
// program's file may be renamed while it runs, but not deleted. An installation into
// the folder then writes a file of its own, never into this one. Into the temporary
// folder; where that lies on another volume, to a unique name of its own folder.
static void MoveAside(DeletionCandidate* original)
{
    char tempFolder[kPathCapacity], aside[kPathCapacity];
    if (!MakeTemporaryFile(tempFolder, aside)) {
        if (!MoveCandidate(original, aside))
            return;
        DeleteFileA(aside);
    }
    if (GetTempFileNameA(g_uninstall.installFolder, "Arb", 0, aside) && MoveCandidate(original, aside))
        DeleteFileA(aside);
}

// Removes the install folder, emptied, only when it is still the folder that was
// emptied: never by its path, which a new installation may have made anew, and never
// while a new installation holds it.
static void RemoveEmptiedFolder(const BY_HANDLE_FILE_INFORMATION& emptied)
{
    DeletionCandidate folder;
    if (OpenDeletionCandidate(g_uninstall.installFolder, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              &folder))
        return;
    if (IsSameFile(folder, emptied))
        TraceRemoval(g_uninstall.installFolder, DeleteCandidate(&folder), kDeleted);
    CloseCandidate(&folder);
}

DWORD RunAsWorker(const WorkerOptions& options)
{
    HANDLE pipe = (HANDLE)(ULONG_PTR)options.resultPipe;
    HANDLE original = (HANDLE)(ULONG_PTR)options.original;
    int installFolderListed = 0;
    WorkerResult result = {};
    result.code = LocateInstallation(options.uninstallerPath) ? RemoveInstallation(&installFolderListed)
                                                               : (DWORD)ERROR_FILENAME_EXCED_RANGE;
    DeletionCandidate originalFile;
    int holdsOriginal = result.code == 0 && HoldOriginalFile(options, &originalFile);
    if (holdsOriginal)
        MoveAside(&originalFile);
    BY_HANDLE_FILE_INFORMATION emptied;
    int removed = result.code == 0;
    int removesFolder = removed && installFolderListed && !ReadIdentity(g_uninstall.installFolder, &emptied);
    // A folder that another program's handle on a deleted file keeps is the run's
    // outcome, named: it goes at the next restart.
    if (removed) {
        result.code = removesFolder ? SettleInstallFolder() : g_uninstall.keptFolderCode;
        if (result.code)
            CopyText(g_uninstall.failedPath, sizeof g_uninstall.failedPath, g_uninstall.keptFolder);
    }
    CopyText(result.failedPath, sizeof result.failedPath, g_uninstall.failedPath);
    DWORD written = 0;
    WriteFile(pipe, &result, sizeof result, &written, 0);
    CloseHandle(pipe);

    if (removed) {
        WaitForSingleObject(original, INFINITE);
        // The image of an ended process may be released a moment later.
        DWORD error = holdsOriginal ? DeleteCandidate(&originalFile) : 0;
        for (int attempt = 1; error && attempt < kRetryCount; ++attempt) {
            Sleep(kRetryMs);
            error = DeleteCandidate(&originalFile);
        }
        if (holdsOriginal) {
            CloseCandidate(&originalFile);
            TraceRemoval(g_uninstall.uninstallerPath, error, kDeleted);
        }
        if (removesFolder)
            RemoveEmptiedFolder(emptied);
    }
    CloseHandle(original);
    return result.code;
}
