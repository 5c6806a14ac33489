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
// takes as consent. Where nobody sees the screen no box is shown: the answer that goes
// on without a person is logged and returned (OK; Abort for Abort/Retry/Ignore; No for
// Yes/No; Cancel for any other).
int ShowMessage(UINT type, const char* format, ...);
// The same, with the answer to take where nobody sees the screen.
int ShowQuestion(UINT type, int unseenAnswer, const char* format, ...);

// The process runs on a window station nobody sees (a service's, session 0's), where a
// window would wait for ever.
int NobodySeesTheScreen();
