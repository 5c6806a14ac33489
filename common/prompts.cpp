#include "common/prompts.h"

#include "common/text_format.h"
#include "platform/user_dialogs.h"

static const PromptContext kNoContext = {"", 0, 0};
static const PromptContext* g_prompts = &kNoContext;

void SetPromptContext(const PromptContext* context)
{
    g_prompts = context ? context : &kNoContext;
}

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

    if (g_prompts->dropQueuedInput && *g_prompts->dropQueuedInput)
        DiscardQueuedInput();
    HWND owner = GetActiveWindow();
    if (!owner && g_prompts->mainWindow && *g_prompts->mainWindow)
        owner = GetLastActivePopup(*g_prompts->mainWindow);
    return PlatformMessageBox(owner, text, g_prompts->caption, type);
}
