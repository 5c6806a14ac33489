// Questions in message boxes, the progress window's status line, the wait cursor
// and opening a document or web address with the shell.
#pragma once

#include "platform/win32.h"

enum { kMessageCapacity = 2048, kStatusCapacity = 312 };

// Formats the text (cut at 2047 characters) and asks in a message box with the setup
// caption, owned by the active window or else the main dialog's last active pop-up.
// During an install the keys and clicks queued before the box are dropped first.
// Returns the button pressed; 0 when no box could be shown, which no caller takes as
// consent.
int ShowMessage(UINT type, const char* format, ...);

void ShowStatus(const char* text);
void ShowInstallingStatus(const char* entryName);
void ShowWaitCursor();
void OpenWithShell(const char* target);
