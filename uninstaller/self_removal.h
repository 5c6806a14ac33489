// A running program's file cannot be deleted, yet the caller waits for this process
// and wants its real exit code. So the original copies itself to a temporary file and
// starts the copy, which does the removal, reports the result through an inherited
// pipe, waits for the original to end and then deletes the original's file, the
// install folder with it. It deletes that very file only, never a newer one: it
// holds it open from before the original ends, compares it with the identity the
// original passed and moves it out of the folder at once. The copy's own file is
// opened for deletion on close, with that handle inherited by the copy: it vanishes
// when the copy ends.
#pragma once

#include "platform/win32.h"
#include "uninstaller/worker_options.h"

// The original's side: starts the copy and waits for its result, which it returns
// (with the path of a file that could not be removed in the state's failedPath).
DWORD RemoveThroughTemporaryCopy();

// The copy's side: removes the installation of options.uninstallerPath and reports.
DWORD RunAsWorker(const WorkerOptions& options);
