#include "common/prompts.h"

#include "common/deployment_log.h"
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

static const char* AnswerName(int answer)
{
    switch (answer) {
    case IDOK: return "OK";
    case IDCANCEL: return "Cancel";
    case IDABORT: return "Abort";
    case IDRETRY: return "Retry";
    case IDIGNORE: return "Ignore";
    case IDYES: return "Yes";
    case IDNO: return "No";
    }
    return "none";
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
    Trace((type & MB_TYPEMASK) == MB_OK ? "Message: %s" : "Question: %s", text);
    int answer = PlatformMessageBox(owner, text, g_prompts->caption, type);
    if ((type & MB_TYPEMASK) != MB_OK)
        Trace("Answer: %s", AnswerName(answer));
    return answer;
}
