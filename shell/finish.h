// The last step of an installation: the uninstall entry and association, the start
// of the installed application, the shortcuts and the closing report.
#pragma once

#include "platform/win32.h"

// Starts the thread that will start the installed application, so that it finds the
// desktop's shell while the installation goes on. FinishInstallation makes it when
// none was prepared.
void PrepareApplicationStart();

// Destroys the progress window (the caller must not touch it afterwards) before any
// message. 1 when every wanted shortcut was created; 0 after the failure message.
// *failure is the last failure's code: the failed save's Windows error (else 29) for
// a shortcut, ERROR_INVALID_NAME (123) when the log could not be committed; else 0.
int FinishInstallation(int desktopBoxState, HWND progressWindow, DWORD* failure);
