#include "scripted_dialogs.h"

#include <deque>

#include "platform/desktop_shell.h"
#include "platform/user_dialogs.h"

static std::deque<int> g_messageAnswers;
static std::deque<std::string> g_folderAnswers;
static std::vector<AskedMessage> g_asked;
static std::vector<PickedFolderRequest> g_pickRequests;
static std::function<void(const AskedMessage&)> g_beforeEachAnswer;
static bool g_screenSeen = true;
static DesktopShellAnswer g_desktopShell = kNoDesktopShell;
static HANDLE g_hungShellRelease = CreateEventA(0, TRUE, TRUE, 0);
static std::vector<std::string> g_desktopStarts;

void ScriptMessageAnswers(std::vector<int> answers)
{
    g_messageAnswers.insert(g_messageAnswers.end(), answers.begin(), answers.end());
}

void ScriptFolderAnswer(const std::string& path)
{
    g_folderAnswers.push_back(path);
}

void ScriptBeforeEachAnswer(std::function<void(const AskedMessage&)> action)
{
    g_beforeEachAnswer = action;
}

void ScriptScreenSeen(bool seen)
{
    g_screenSeen = seen;
}

void ScriptDesktopShell(DesktopShellAnswer answer)
{
    g_desktopShell = answer;
    if (answer == kDesktopShellHangs)
        ResetEvent(g_hungShellRelease);
}

void ResetScriptedDialogs()
{
    g_screenSeen = true;
    g_desktopShell = kNoDesktopShell;
    SetEvent(g_hungShellRelease);
    g_desktopStarts.clear();
    g_beforeEachAnswer = nullptr;
    g_messageAnswers.clear();
    g_folderAnswers.clear();
    g_asked.clear();
    g_pickRequests.clear();
}

const std::vector<AskedMessage>& AskedMessages() { return g_asked; }
const std::vector<PickedFolderRequest>& PickedFolderRequests() { return g_pickRequests; }
const std::vector<std::string>& DesktopStarts() { return g_desktopStarts; }

// The scripted shell stands for itself; every start it takes is recorded. A hung one
// answers nothing until reset.
DesktopShell* PlatformFindDesktopShell()
{
    if (g_desktopShell == kDesktopShellHangs)
        WaitForSingleObject(g_hungShellRelease, INFINITE);
    return g_desktopShell == kDesktopShellTakesStarts || g_desktopShell == kDesktopShellRefusesStarts
               ? (DesktopShell*)&g_desktopStarts
               : nullptr;
}

int PlatformOpenAsDesktopUser(DesktopShell* shell, const char* file, const char* parameters)
{
    if (shell != (DesktopShell*)&g_desktopStarts || g_desktopShell != kDesktopShellTakesStarts)
        return 0;
    g_desktopStarts.push_back(std::string(file) + " " + (parameters ? parameters : "<none>"));
    return 1;
}

void PlatformReleaseDesktopShell(DesktopShell*) {}

int PlatformMessageBox(HWND owner, const char* text, const char* caption, UINT type)
{
    g_asked.push_back({owner, text, caption, type});
    if (g_beforeEachAnswer)
        g_beforeEachAnswer(g_asked.back());
    if (g_messageAnswers.empty())
        return 0;
    int answer = g_messageAnswers.front();
    g_messageAnswers.pop_front();
    return answer;
}

int PlatformScreenIsSeen()
{
    return g_screenSeen;
}

int PlatformPickFolder(HWND owner, const char* title, char* path, size_t capacity)
{
    g_pickRequests.push_back({owner, title ? title : ""});
    if (g_folderAnswers.empty())
        return 0;
    std::string answer = g_folderAnswers.front();
    g_folderAnswers.pop_front();
    if (answer.empty() || answer.size() >= capacity)
        return 0;
    lstrcpyA(path, answer.c_str());
    return 1;
}
