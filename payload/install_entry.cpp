#include "payload/install_entry.h"

#include "common/contained_create.h"
#include "common/contained_path.h"
#include "common/deployment_log.h"
#include "common/file_stamps.h"
#include "common/path_text.h"
#include "common/prompts.h"
#include "common/windows_error.h"
#include "payload/archive_format.h"
#include "payload/inflate_ahead.h"
#include "payload/module_resources.h"
#include "payload/runtime_prerequisite.h"
#include "payload/version_info.h"
#include "platform/win32.h"
#include "records/install_folder_hold.h"
#include "records/uninstall_log.h"
#include "state/setup_state.h"
#include "state/status_line.h"

static const DWORD kStoredWriteStep = 16 * kChunkSize;

const char kReasonRunningApplications[] = "all running applications are closed";
const char kReasonFreeDiskSpace[] = "there is enough free disk space";
const char kReasonWritePermission[] = "you have permission to write files in this folder";

// The entry's full target path. 0 when the name is one the packer refuses (it could
// lead outside its base folder, or Windows would open a device or refuse it) or the
// path does not fit.
static int MakeTargetPath(const DirectoryEntry* entry, char* target)
{
    if (FindTargetNameFault(entry->name) != kTargetNameFine)
        return 0;
    if (!(entry->flags & kInSystemDirectory))
        return JoinPath(target, g_setup.installFolder, entry->name);
    UINT length = GetSystemDirectoryA(target, kPathCapacity);
    return length > 0 && length < kPathCapacity && AppendToPath(target, entry->name);
}

static FILETIME ToFileTime(ArchiveTime time)
{
    FILETIME converted;
    converted.dwLowDateTime = time.low;
    converted.dwHighDateTime = time.high;
    return converted;
}

// Writes length bytes in one call. 0, or the write's error (ERROR_WRITE_FAULT when the
// disk took less without one), with the reason that the disk may be full.
static DWORD WriteAll(HANDLE file, const unsigned char* bytes, DWORD length, const char** reason)
{
    DWORD count = 0;
    DWORD error = WriteFile(file, bytes, length, &count, 0) ? 0 : LastErrorOr(ERROR_WRITE_FAULT);
    if (!error && count != length)
        error = ERROR_WRITE_FAULT;
    if (error)
        *reason = kReasonFreeDiskSpace;
    return error;
}

// Writes what the inflating thread makes of a deflated piece, a chunk at a time as it
// comes. 0, or the write's error; a stream that does not inflate to exactly the
// entry's size says "Unable to decompress data", in every mode, first.
static DWORD WriteInflatedData(HANDLE file, const DirectoryEntry* entry, const char** reason)
{
    for (;;) {
        InflatedChunk chunk;
        int taken = TakeChunk(entry->index, &chunk);
        if (!taken || chunk.failed) {
            // The failed chunk's slot goes back too, or the ring would lose it for good.
            if (taken)
                GiveBackChunk();
            SayUnableToDecompress();
            return ERROR_WRITE_FAULT;
        }
        DWORD error = WriteAll(file, chunk.bytes, chunk.length, reason);
        GiveBackChunk();
        if (error || chunk.last)
            return error;
        KeepWindowsAnswering();
    }
}

// Writes a stored piece straight from the resource, in steps of a few megabytes so
// that the windows are answered in between. 0, or the write's error.
static DWORD WriteStoredData(HANDLE file, const DirectoryEntry* entry, const char** reason)
{
    const unsigned char* bytes = entry->data;
    DWORD left = entry->size;
    for (;;) {
        DWORD step = left < kStoredWriteStep ? left : kStoredWriteStep;
        DWORD error = WriteAll(file, bytes, step, reason);
        left -= step;
        if (error || !left)
            return error;
        bytes += step;
        KeepWindowsAnswering();
    }
}

// Writes the entry's data and sets its three times with the read-only attribute it
// was created with. 0, or the error of the write.
static DWORD WriteEntryData(HANDLE file, const DirectoryEntry* entry, const char** reason)
{
    DWORD error = entry->storedSize != entry->size ? WriteInflatedData(file, entry, reason)
                                                   : WriteStoredData(file, entry, reason);
    FILETIME creation = ToFileTime(entry->creationTime);
    FILETIME lastAccess = ToFileTime(entry->lastAccessTime);
    FILETIME lastWrite = ToFileTime(entry->lastWriteTime);
    SetFileStamps(file, &creation, &lastAccess, &lastWrite, FILE_ATTRIBUTE_READONLY);
    return error;
}

// Asks whether to abort, retry or ignore; *failure is the failure's code, whatever
// the answer.
static unsigned long ReportFailure(const DirectoryEntry* entry, const char* file, DWORD error, const char* reason,
                                   DWORD* failure)
{
    TraceOutcome(error, "File %s, %lu bytes", file, (unsigned long)entry->size);
    g_setup.folderEntered[0] = 0;  // what went wrong may lie on the way: enter it again
    unsigned long code = ERROR_WRITE_FAULT;
    if (error == ERROR_ACCESS_DENIED) {
        code = ERROR_ACCESS_DENIED;
        reason = kReasonWritePermission;
    } else if (error == ERROR_SHARING_VIOLATION) {
        code = ERROR_SHARING_VIOLATION;
    }
    *failure = code;
    if (g_setup.silent)
        return code;
    int answer = ShowMessage(MB_ABORTRETRYIGNORE | MB_ICONQUESTION | MB_DEFBUTTON2,
                             "Unable to install file %s.  Please make sure %s.\n\n"
                             "Click on the ignore button if you want to skip this error.",
                             file, reason);
    if (answer == IDRETRY)
        return ERROR_RETRY;
    if (answer == IDIGNORE)
        return 0;
    return code;
}

static int IsOlderThanEntry(const char* target, const DirectoryEntry* entry)
{
    FileVersion minimum = {entry->minimumVersionMS, entry->minimumVersionLS};
    return IsOlderThan(target, minimum);
}

unsigned long CheckEntryNotInUse(const DirectoryEntry* entry, const char* realFolder, DWORD* failure)
{
    *failure = 0;
    char target[kPathCapacity];
    // What the entry does not write (a name it refuses, a file its version rule keeps,
    // the runtime prerequisite) is left to it.
    if (!MakeTargetPath(entry, target) ||
        ((entry->flags & kVersionGated) && (entry->storedSize == 0 || !IsOlderThanEntry(target, entry))))
        return 0;
    for (;;) {
        DWORD error = FindFileInUse(target, entry->flags & kInSystemDirectory ? kWhereItStands : realFolder);
        if (!error)
            return 0;
        unsigned long answer = ReportFailure(entry, target, error, kReasonRunningApplications, failure);
        if (answer != ERROR_RETRY)
            return answer;
    }
}

unsigned long InstallEntry(const DirectoryEntry* entry, DWORD* failure)
{
    *failure = 0;
    char target[kPathCapacity];
    if (!MakeTargetPath(entry, target))
        return ReportFailure(entry, entry->name, ERROR_WRITE_FAULT, kReasonRunningApplications, failure);

    if (entry->flags & kVersionGated) {
        if (!IsOlderThanEntry(target, entry)) {
            Trace("File %s left: not older", target);
            return 0;
        }
        if (entry->storedSize == 0) {
            InstallRuntimePrerequisite();
            return 0;
        }
    }

    char parent[kPathCapacity];
    ParentFolder(target, parent);
    ShowInstallingStatus(entry->name);
    const char* reason = kReasonRunningApplications;
    // A system file is replaced where it stands; an installed one and its folders are
    // never written through a link.
    const char* realFolder = entry->flags & kInSystemDirectory ? kWhereItStands : InstallFolderBounds();
    DWORD error = CreateFolderAndLogIt(parent, realFolder);
    if (error)
        return ReportFailure(entry, target, error, reason, failure);

    HANDLE file = CreateFileInside(target, realFolder, 0, FILE_ATTRIBUTE_READONLY | FILE_FLAG_SEQUENTIAL_SCAN, &error);
    if (file == INVALID_HANDLE_VALUE)
        return ReportFailure(entry, target, error, reason, failure);
    // A line the log loses is the log's own failure; the file goes on.
    if (entry->flags & kLogForUninstall)
        LogInstalledFile(target);
    error = WriteEntryData(file, entry, &reason);
    if (!CloseHandle(file) && !error)
        error = LastErrorOr(ERROR_WRITE_FAULT);
    if (!error) {
        TraceOutcome(0, "File %s, %lu bytes", target, (unsigned long)entry->size);
        return 0;
    }
    return ReportFailure(entry, target, error, reason, failure);
}
