#include "state/status_line.h"

#include "common/text_format.h"
#include "state/setup_state.h"

enum { kStatusDrawInterval = 100, kAnswerInterval = 100, kPaintsAtOnce = 32 };

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
    // trip to Wine's server.
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

void CloseProgressWindow(HWND progress)
{
    if (g_setup.statusLine && (g_setup.statusLine == progress || IsChild(progress, g_setup.statusLine)))
        g_setup.statusLine = 0;
    HWND owner = GetWindow(progress, GW_OWNER);
    if (owner)
        EnableWindow(owner, TRUE);
    DestroyWindow(progress);
}

void KeepWindowsAnswering()
{
    DWORD now = GetTickCount();
    if (now - g_setup.windowsAnsweredAt < kAnswerInterval)
        return;
    g_setup.windowsAnsweredAt = now;
    MSG message;
    // Looking handles the sent messages, whatever the filter; only WM_PAINT and WM_TIMER
    // are taken from the queue. A window that does not validate itself is painted again
    // next time rather than for ever.
    PeekMessageA(&message, 0, WM_NULL, WM_NULL, PM_NOREMOVE);
    for (int painted = 0; painted < kPaintsAtOnce && PeekMessageA(&message, 0, WM_PAINT, WM_PAINT, PM_REMOVE); ++painted)
        DispatchMessageA(&message);
    while (PeekMessageA(&message, 0, WM_TIMER, WM_TIMER, PM_REMOVE))
        DispatchMessageA(&message);
}
