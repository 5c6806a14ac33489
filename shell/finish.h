// The last step of an installation: the uninstall entry and association, the start
// of the installed application, the shortcuts and the closing report.
#pragma once

#include "platform/win32.h"

// Destroys the progress window (the caller must not touch it afterwards) before any
// message. 1 when every wanted shortcut was created; 0 after the failure message,
// with the exit code set to the failed save's Windows error, else 29.
int FinishInstallation(int desktopBoxState, HWND progressWindow);
