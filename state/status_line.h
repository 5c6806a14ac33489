// The progress window's status line, the one line of progress a run shows, the
// wait cursor, and the end of the progress window.
#pragma once

#include "platform/win32.h"

enum { kStatusCapacity = 312 };

// Sets the setup state's status line to the text.
void ShowStatus(const char* text);
// "Installing NAME...", drawn at most every 100 ms: the entries in between are not shown.
void ShowInstallingStatus(const char* entryName);
void ShowWaitCursor();
// Handles, at most every 100 ms, what keeps the run's windows alive while it writes:
// the messages other threads send (Windows' own WM_NULL probes among them), paint and
// timers. Input stays queued. Windows marks a window that has not looked for messages
// for five seconds "Not Responding" and offers to end the program.
void KeepWindowsAnswering();
// Ends the progress window, and the status line with it. Its owner, disabled for the
// run, is enabled first: Windows gives a destroyed window's activation to its owner
// only when the owner can take it, and otherwise to another program's window, behind
// which the boxes that follow (and the dialog itself) would open.
void CloseProgressWindow(HWND progress);
