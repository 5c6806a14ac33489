// One installation attempt, from the folder question to the date stamp.
#pragma once

#include "platform/win32.h"

// Runs the attempt for the main dialog (which holds the desktop shortcut box).
// 1 on success; 0 on failure, with the reason in the setup state's exit code.
int RunInstallSequence(HWND dialog);
