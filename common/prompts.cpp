#include "common/prompts.h"

#include "common/deployment_log.h"
#include "common/text_format.h"
#include "platform/user_dialogs.h"

static const PromptContext kNoContext = {"", 0, 0};
static const PromptContext* g_prompts;  // null: no context told

void SetPromptContext(const PromptContext* context)
{
    g_prompts = context;
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

int NobodySeesTheScreen()
{
    return !PlatformScreenIsSeen();
}

static int UnseenAnswer(UINT type)
{
    switch (type & MB_TYPEMASK) {
    case MB_OK: return IDOK;
    case MB_ABORTRETRYIGNORE: return IDABORT;
    case MB_YESNO: return IDNO;
    }
    return IDCANCEL;
}

static int ShowMessageV(UINT type, int unseenAnswer, const char* format, va_list values)
{
    char text[kMessageCapacity];
    FormatTextV(text, sizeof text, format, values);

    const PromptContext* prompts = g_prompts ? g_prompts : &kNoContext;
    if (prompts->dropQueuedInput && *prompts->dropQueuedInput)
        DiscardQueuedInput();
    HWND owner = GetActiveWindow();
    if (!owner && prompts->mainWindow && *prompts->mainWindow)
        owner = GetLastActivePopup(*prompts->mainWindow);
    int question = (type & MB_TYPEMASK) != MB_OK;
    Trace(question ? "Question: %s" : "Message: %s", text);
    int seen = PlatformScreenIsSeen();
    int answer = seen ? PlatformMessageBox(owner, text, prompts->caption, type) : unseenAnswer;
    if (question || !seen)
        Trace("Answer: %s%s", AnswerName(answer), seen ? "" : " (nobody sees the screen)");
    return answer;
}

int ShowMessage(UINT type, const char* format, ...)
{
    va_list values;
    va_start(values, format);
    int answer = ShowMessageV(type, UnseenAnswer(type), format, values);
    va_end(values);
    return answer;
}

int ShowQuestion(UINT type, int unseenAnswer, const char* format, ...)
{
    va_list values;
    va_start(values, format);
    int answer = ShowMessageV(type, unseenAnswer, format, values);
    va_end(values);
    return answer;
}
