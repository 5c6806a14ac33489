// The previous uninstall log's cleanup: which listed files are deleted and which
// folder lines are carried over into the new log. The file operations come from
// the caller, so the decision runs anywhere.
#pragma once

#include <stddef.h>

#include "common/log_format.h"

struct PreviousLogCleanup {
    const char* installFolder;  // listed files are deleted only inside it
    const char* systemFolder;   // and never inside this; folder lines inside it are not carried
    char* keptFolderLines;      // folder lines as read, appended; always terminated
    size_t keptCapacity;
    size_t keptLength;
    void (*deleteFile)(const char* path, void* context);
    void* context;
    // Told of each file line left alone, and why; may be null.
    void (*keepFile)(const char* path, const char* reason, void* context);
};

// Why a listed file is left alone.
extern const char kKeptShortcut[];         // "a shortcut"
extern const char kKeptOutside[];          // "outside the install folder"
extern const char kKeptInSystemFolder[];   // "in the system directory"
extern const char kKeptUninstaller[];      // "the uninstaller": the install folder's Uninstall.exe

// Goes through every line of the previous log. A file line deletes its file unless
// it is a shortcut (".lnk" in any case), lies outside the install folder or inside
// the system directory, or is the install folder's Uninstall.exe; a folder
// line is kept unless it names the system directory or a folder inside it, ended by a
// "\n" whether it ended in CR LF, LF or nothing; other lines, and
// lines too long to be the writer's, are skipped. The kept lines fit in the log's
// own length and two bytes more.
void DeleteLoggedFilesKeepFolderLines(int (*nextByte)(void* source), void* source, PreviousLogCleanup* cleanup);
