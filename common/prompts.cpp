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

    if (g_prompts->dropQueuedInput && *g_prompts->dropQueuedInput)
        DiscardQueuedInput();
    HWND owner = GetActiveWindow();
    if (!owner && g_prompts->mainWindow && *g_prompts->mainWindow)
        owner = GetLastActivePopup(*g_prompts->mainWindow);
    int question = (type & MB_TYPEMASK) != MB_OK;
    Trace(question ? "Question: %s" : "Message: %s", text);
    int seen = PlatformScreenIsSeen();
    int answer = seen ? PlatformMessageBox(owner, text, g_prompts->caption, type) : unseenAnswer;
    if (question || !seen)
        Trace(seen ? "Answer: %s" : "Answer: %s (nobody sees the screen)", AnswerName(answer));
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
