#include "common/prompts.h"

#include "common/product.h"
#include "common/setup_state.h"
#include "common/text_format.h"
#include "platform/user_dialogs.h"

enum { kStatusDrawInterval = 100 };

// Keys and clicks given while files were being written were meant for no question:
// kept, an Escape would close the next box before it could be read.
static void DiscardQueuedInput()
{
    MSG message;
    while (PeekMessageA(&message, 0, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
    }
    while (PeekMessageA(&message, 0, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) {
    }
}

int ShowMessage(UINT type, const char* format, ...)
{
    char text[kMessageCapacity];
    va_list values;
    va_start(values, format);
    FormatTextV(text, sizeof text, format, values);
    va_end(values);

    if (g_setup.installing)
        DiscardQueuedInput();
    HWND owner = GetActiveWindow();
    if (!owner && g_setup.mainDialog)
        owner = GetLastActivePopup(g_setup.mainDialog);
    return PlatformMessageBox(owner, text, kSetupCaption, type);
}

void ShowStatus(const char* text)
{
    SetWindowTextA(g_setup.statusLine, text);
}

void ShowInstallingStatus(const char* entryName)
{
    char status[kStatusCapacity];
    FormatText(status, sizeof status, "Installing %s...", entryName);
    // A static control draws itself at once when its text is set, and drawing (with
    // the wait cursor set again) took longer than writing most files, each a round
    // trip to Wine's server. So the name shown changes at most every
    // kStatusDrawInterval ms; the entries in between are not shown.
    DWORD now = GetTickCount();
    if (now - g_setup.statusDrawnAt < kStatusDrawInterval)
        return;
    g_setup.statusDrawnAt = now;
    ShowStatus(status);
    ShowWaitCursor();
}

void ShowWaitCursor()
{
    SetCursor(LoadCursorA(0, IDC_WAIT));
}

void OpenWithShell(const char* target)
{
    ShowWaitCursor();
    ShellExecuteA(0, 0, target, 0, 0, SW_SHOWNORMAL);
}
