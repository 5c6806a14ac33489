#include "setup/prompts.h"

#include "platform/user_dialogs.h"
#include "setup/setup_state.h"
#include "setup/text_format.h"

const char kSetupCaption[] = "Arbolix\xAE Setup";

int ShowMessage(UINT type, const char* format, ...)
{
    char text[kMessageCapacity];
    va_list values;
    va_start(values, format);
    FormatTextV(text, sizeof text, format, values);
    va_end(values);

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
