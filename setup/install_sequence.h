// One installation attempt, from the folder question to the date stamp.
#pragma once

#include "platform/win32.h"

// Runs the attempt for the main dialog (which holds the desktop shortcut box) and
// stores its exit code, the last failure of its steps (0 when there was none), in the
// setup state. 1 on success; 0 on failure.
int RunInstallSequence(HWND dialog);

// The attempt's first step: the install folder created and held, the files of the
// previous log deleted, the new log opened and started with the folder lines (the
// created folder's and the previous log's). 1: go on, with a log or without one the user agreed to;
// 0: stop. *failure is ERROR_INVALID_NAME (123) when the log could not be created or
// written, else 0.
int StartUninstallLog(DWORD* failure);
