// Removes what the uninstall log lists: its files, then its folders.
#pragma once

#include "common/contained_delete.h"
#include "platform/win32.h"

// Deletes every file line's file inside the install folder (read-only cleared first;
// missing files skipped), except the uninstaller and the log themselves, then removes
// the folder lines' folders inside it, deepest first and only when empty, with their
// empty parents up to the install folder; all by their real paths, so that no link on
// the way leads outside. Lines naming anything elsewhere, the system directory and
// the shortcut folders included, are left alone. Returns 0, the error of the first
// file that could not be deleted (its path in the state's failedPath), or why the log
// could not be read. *installFolderListed tells whether the log names the install
// folder as one that setup created.
DWORD RemoveLoggedFiles(int* installFolderListed);

// Deletes a file that really lies inside the install folder (read-only cleared
// first). 0 when it is gone, was never there or lies elsewhere, else the Windows error.
DWORD DeleteFileInInstallation(const char* path);

// The deployment log's line for a deletion's outcome (a file left alone says why itself).
void TraceRemoval(const char* path, DWORD error, DeletionOutcome outcome);

// Keeps the first failure: its error in *firstError, its path in the state's
// failedPath unless an earlier step's is there.
void NoteFailure(const char* path, DWORD error, DWORD* firstError);
