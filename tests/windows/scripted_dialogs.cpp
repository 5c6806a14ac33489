#include "scripted_dialogs.h"

#include <deque>

#include "platform/user_dialogs.h"

static std::deque<int> g_messageAnswers;
static std::deque<std::string> g_folderAnswers;
static std::vector<AskedMessage> g_asked;
static std::vector<PickedFolderRequest> g_pickRequests;

void ScriptMessageAnswers(std::vector<int> answers)
{
    g_messageAnswers.insert(g_messageAnswers.end(), answers.begin(), answers.end());
}

void ScriptFolderAnswer(const std::string& path)
{
    g_folderAnswers.push_back(path);
}

void ResetScriptedDialogs()
{
    g_messageAnswers.clear();
    g_folderAnswers.clear();
    g_asked.clear();
    g_pickRequests.clear();
}

const std::vector<AskedMessage>& AskedMessages() { return g_asked; }
const std::vector<PickedFolderRequest>& PickedFolderRequests() { return g_pickRequests; }

int PlatformMessageBox(HWND owner, const char* text, const char* caption, UINT type)
{
    g_asked.push_back({owner, text, caption, type});
    if (g_messageAnswers.empty())
        return 0;
    int answer = g_messageAnswers.front();
    g_messageAnswers.pop_front();
    return answer;
}

LPITEMIDLIST PlatformBrowseForFolder(BROWSEINFOA* info)
{
    g_pickRequests.push_back({info->hwndOwner, info->lpszTitle ? info->lpszTitle : "", info->ulFlags});
    if (g_folderAnswers.empty())
        return 0;
    std::string answer = g_folderAnswers.front();
    g_folderAnswers.pop_front();
    if (answer.empty())
        return 0;
    LPITEMIDLIST chosen = 0;
    if (answer == "::controls")
        SHGetSpecialFolderLocation(0, CSIDL_CONTROLS, &chosen);
    else
        chosen = ILCreateFromPathA(answer.c_str());
    return chosen;
}
