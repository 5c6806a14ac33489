#include "records/log_cleanup.h"

#include <string.h>

#include "common/contained_path.h"
#include "common/path_text.h"
#include "common/product.h"

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

static void TakeFileLine(PreviousLogCleanup* cleanup, const char* line)
{
    char path[kLogLineCapacity];
    size_t length = strlen(line + 1);
    if (length < 2)
        return;
    memcpy(path, line + 1, length + 1);
    if (path[length - 1] == '\n')
        path[length - 1] = 0;
    if (IsShortcut(path))
        return;
    if (!IsInsideFolder(path, cleanup->installFolder) && !IsInsideFolder(path, cleanup->systemFolder))
        return;
    cleanup->deleteFile(path, cleanup->context);
}

static void KeepFolderLine(PreviousLogCleanup* cleanup, const char* line)
{
    size_t length = strlen(line);
    int addLineEnd = line[length - 1] != '\n';
    if (cleanup->keptLength + length + addLineEnd >= cleanup->keptCapacity)
        return;
    char* end = cleanup->keptFolderLines + cleanup->keptLength;
    memcpy(end, line, length);
    if (addLineEnd)
        end[length] = '\n';
    cleanup->keptLength += length + addLineEnd;
    cleanup->keptFolderLines[cleanup->keptLength] = 0;
}

void SortPreviousLog(int (*nextByte)(void* source), void* source, PreviousLogCleanup* cleanup)
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
