#include "records/log_cleanup.h"

#include <string.h>

#include "common/contained_path.h"
#include "common/path_text.h"
#include "common/product.h"

const char kKeptShortcut[] = "a shortcut";
const char kKeptOutside[] = "outside the install folder";
const char kKeptInSystemFolder[] = "in the system directory";
const char kKeptUninstaller[] = "the uninstaller";

static int IsShortcut(const char* path)
{
    const char* extension = PathExtension(path);
    if (!extension)
        return 0;
    const char lnk[] = "lnk";
    for (int i = 0; i < 4; ++i) {
        char c = extension[i];
        if (c >= 'A' && c <= 'Z')
            c = (char)(c - 'A' + 'a');
        if (c != lnk[i])
            return 0;
    }
    return 1;
}

// Uninstall.exe, which the uninstall entry names, is replaced by the payload, never
// only deleted: a run that fails after the cleanup still leaves the installation a
// program that removes it.
static int IsTheUninstaller(const char* path, const char* installFolder)
{
    char uninstaller[kPathCapacity];
    return JoinPath(uninstaller, installFolder, kUninstallerName) && IsSamePath(path, uninstaller);
}

// The line's length without its LF or CR LF.
static size_t TextLength(const char* line)
{
    size_t length = strlen(line);
    if (length && line[length - 1] == '\n')
        --length;
    if (length && line[length - 1] == '\r')
        --length;
    return length;
}

static void TakeFileLine(PreviousLogCleanup* cleanup, const char* line)
{
    char path[kLogLineCapacity];
    size_t length = TextLength(line + 1);
    if (length == 0)
        return;
    memcpy(path, line + 1, length);
    path[length] = 0;
    // The system directory is never cleaned, even inside an install folder that holds
    // it (C:\Windows, a drive's root): a shared file there may be another program's now.
    const char* keptBecause = IsShortcut(path)                                 ? kKeptShortcut
                              : !IsInsideFolder(path, cleanup->installFolder) ? kKeptOutside
                              : IsInsideFolder(path, cleanup->systemFolder)    ? kKeptInSystemFolder
                              : IsTheUninstaller(path, cleanup->installFolder) ? kKeptUninstaller
                                                                               : 0;
    if (!keptBecause)
        cleanup->deleteFile(path, cleanup->context);
    else if (cleanup->keepFile)
        cleanup->keepFile(path, keptBecause, cleanup->context);
}

// Kept with a LF of its own: the new log is written as text.
static void KeepFolderLine(PreviousLogCleanup* cleanup, const char* line)
{
    size_t length = TextLength(line);
    char path[kLogLineCapacity];
    memcpy(path, line + 1, length - 1);
    path[length - 1] = 0;
    if (IsSamePath(path, cleanup->systemFolder) || IsInsideFolder(path, cleanup->systemFolder))
        return;
    if (cleanup->keptLength + length + 1 >= cleanup->keptCapacity)
        return;
    char* end = cleanup->keptFolderLines + cleanup->keptLength;
    memcpy(end, line, length);
    end[length] = '\n';
    cleanup->keptLength += length + 1;
    cleanup->keptFolderLines[cleanup->keptLength] = 0;
}

void DeleteLoggedFilesKeepFolderLines(int (*nextByte)(void* source), void* source, PreviousLogCleanup* cleanup)
{
    char line[kLogLineCapacity];
    int read;
    while ((read = ReadLogLine(nextByte, source, line)) != kLogEnded) {
        if (read != kLogLineRead)
            continue;
        if (line[0] == kLogFileTag)
            TakeFileLine(cleanup, line);
        else if (line[0] == kLogFolderTag)
            KeepFolderLine(cleanup, line);
    }
}
