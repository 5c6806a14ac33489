// Questions and reports in message boxes, with the caption and owner of the program
// that asks.
#pragma once

#include "platform/win32.h"

enum { kMessageCapacity = 2048 };

// What each program tells the prompts once, at its start.
struct PromptContext {
    const char* caption;
    // Its last active pop-up owns a box when no window of the program is active.
    const HWND* mainWindow;
    // While it is nonzero, keys and clicks queued before a box are dropped: they were
    // meant for no question, and an Escape would close the box unread.
    const int* dropQueuedInput;
};
void SetPromptContext(const PromptContext* context);

// Formats the text (cut at 2047 characters) and asks in a message box with the
// program's caption, owned by the active window or else the main window's last active
// pop-up. Returns the button pressed; 0 when no box could be shown, which no caller
// takes as consent.
int ShowMessage(UINT type, const char* format, ...);
