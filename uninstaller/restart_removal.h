// Folders that another program (a scanner, the indexer) keeps from being removed by
// holding a file that was deleted in them: a short, bounded wait, then removal at the
// next start of Windows.
#pragma once

#include "common/contained_delete.h"
#include "platform/win32.h"

// Removes the folder, opened as a deletion candidate at path. While it holds nothing
// but deleted files that another program still holds, it waits for them, at most
// kSetAsideWaitMs over the whole run. A folder still kept so is marked for removal at
// the next restart (the state's keptFolder and keptFolderCode). 0 when removed,
// ERROR_SUCCESS_REBOOT_REQUIRED when marked, else why it was kept.
enum { kSetAsideWaitMs = 3000 };
DWORD RemoveFolderOrMarkForRestart(DeletionCandidate* folder, const char* path);

// The install folder, emptied while the uninstaller still runs from its copy, is
// marked for the next restart when it holds only what is going. The run's code for
// what was kept: 0 when nothing was, ERROR_SUCCESS_REBOOT_REQUIRED when all of it
// is marked, else why a folder could not be.
DWORD SettleInstallFolder();
