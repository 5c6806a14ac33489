#include "tests/support/ui_driver.h"

#include <gtest/gtest.h>

#include <algorithm>

enum { kPollMs = 20 };

const char kCaption[] = "Arbolix\xAE Setup";

int StartProgram(const std::string& exe, const std::string& arguments, SetupProcess* process, const char* desktop)
{
    std::string commandLine = "\"" + exe + "\"" + (arguments.empty() ? "" : " " + arguments);
    std::string desktopName = desktop ? desktop : "";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.lpDesktop = desktop ? &desktopName[0] : 0;
    ZeroMemory(&process->info, sizeof process->info);
    return CreateProcessA(exe.c_str(), &commandLine[0], 0, 0, FALSE, 0, 0, 0, &startup, &process->info);
}

const char* UnseenDesktop()
{
    static const char* made = 0;
    if (made)
        return made;
    // A desktop is made on the process's own station: this one's, for a moment.
    HWINSTA own = GetProcessWindowStation();
    HWINSTA station = CreateWindowStationA("ArbolixUnseen", 0, WINSTA_ALL_ACCESS, 0);
    if (!station || !SetProcessWindowStation(station))
        return 0;
    HDESK desktop = CreateDesktopA("Default", 0, 0, 0, GENERIC_ALL, 0);
    SetProcessWindowStation(own);
    USEROBJECTFLAGS flags = {};
    DWORD needed = 0;
    if (desktop && GetUserObjectInformationA(station, UOI_FLAGS, &flags, sizeof flags, &needed) &&
        !(flags.dwFlags & WSF_VISIBLE))
        made = "ArbolixUnseen\\Default";
    return made;
}

static DWORD OwnerProcess(HWND window)
{
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    return processId;
}

// Calls visit for each visible top-level dialog of the process until it returns true.
template <typename Visit>
static HWND FindDialog(const SetupProcess& process, Visit visit)
{
    HWND window = 0;
    while ((window = FindWindowExA(0, window, "#32770", 0)) != 0) {
        if (OwnerProcess(window) == process.info.dwProcessId && IsWindowVisible(window) && visit(window))
            return window;
    }
    return 0;
}

template <typename Find>
static auto Poll(int timeoutMs, Find find) -> decltype(find())
{
    for (int waited = 0;; waited += kPollMs) {
        auto found = find();
        if (found || waited >= timeoutMs)
            return found;
        Sleep(kPollMs);
    }
}

HWND WaitForDialogWithControl(const SetupProcess& process, int controlId, int timeoutMs)
{
    return Poll(timeoutMs, [&] {
        return FindDialog(process, [&](HWND window) { return GetDlgItem(window, controlId) != 0; });
    });
}

static std::string WindowText(HWND window)
{
    char text[4096];
    text[0] = 0;
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, (LPARAM)text, SMTO_ABORTIFHUNG, 2000, 0);
    return text;
}

static std::string ClassOf(HWND window)
{
    char name[64];
    name[0] = 0;
    GetClassNameA(window, name, sizeof name);
    return name;
}

// A message box holds its text in a static with id 0xFFFF and only buttons with the
// standard ids beside it.
static bool ReadMessageBox(HWND window, MessageBoxSeen* box)
{
    MessageBoxSeen seen = {};
    seen.window = window;
    bool hasText = false;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        int id = GetDlgCtrlID(child);
        std::string className = ClassOf(child);
        if (className == "Static" && (id == 0xFFFF || id == -1)) {
            std::string text = WindowText(child);
            if (!text.empty()) {
                seen.text = text;
                hasText = true;
            }
        } else if (className == "Button" && id >= IDOK && id <= IDCONTINUE) {
            seen.buttons.push_back(id);
        } else if (className != "Static") {
            return false;
        }
    }
    if (!hasText || seen.buttons.empty())
        return false;
    seen.caption = WindowText(window);
    *box = seen;
    return true;
}

MessageBoxSeen WaitForMessageBox(const SetupProcess& process, int timeoutMs)
{
    MessageBoxSeen box = {};
    Poll(timeoutMs, [&] {
        return FindDialog(process, [&](HWND window) { return ReadMessageBox(window, &box); });
    });
    return box;
}

void Answer(const MessageBoxSeen& box, int buttonId)
{
    PostMessageA(GetDlgItem(box.window, buttonId), BM_CLICK, 0, 0);
    // Until it is gone, the next wait for a message box would find this one again.
    Poll(5000, [&] { return !IsWindow(box.window); });
}

void ExpectMessageBox(const SetupProcess& process, const std::string& text, std::vector<int> buttons,
                      MessageBoxSeen* box, int timeoutMs)
{
    *box = WaitForMessageBox(process, timeoutMs);
    ASSERT_NE(nullptr, box->window) << "no message box for: " << text;
    EXPECT_EQ(text, box->text);
    std::vector<int> shown = box->buttons;
    std::sort(shown.begin(), shown.end());
    std::sort(buttons.begin(), buttons.end());
    EXPECT_EQ(buttons, shown);
}

void ExpectMessage(const SetupProcess& process, const std::string& text, std::vector<int> buttons, int answer)
{
    MessageBoxSeen box;
    ASSERT_NO_FATAL_FAILURE(ExpectMessageBox(process, text, buttons, &box));
    EXPECT_EQ(kCaption, box.caption);
    Answer(box, answer);
}

void Click(HWND dialog, int controlId)
{
    SendMessageTimeoutA(GetDlgItem(dialog, controlId), BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 5000, 0);
}

void Press(HWND dialog, int controlId)
{
    PostMessageA(GetDlgItem(dialog, controlId), BM_CLICK, 0, 0);
}

void TypeText(HWND dialog, int controlId, const std::string& text)
{
    SendMessageTimeoutA(GetDlgItem(dialog, controlId), WM_SETTEXT, 0, (LPARAM)text.c_str(),
                        SMTO_ABORTIFHUNG, 5000, 0);
}

std::string ControlText(HWND dialog, int controlId)
{
    return WindowText(GetDlgItem(dialog, controlId));
}

int IsChecked(HWND dialog, int controlId)
{
    DWORD_PTR state = 0;
    SendMessageTimeoutA(GetDlgItem(dialog, controlId), BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 5000, &state);
    return (int)state;
}

int IsEnabled(HWND dialog, int controlId)
{
    return IsWindowEnabled(GetDlgItem(dialog, controlId)) ? 1 : 0;
}

void CloseWithCloseBox(HWND dialog)
{
    PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
}

DWORD WaitForExit(SetupProcess* process, int timeoutMs)
{
    DWORD code = STILL_ACTIVE;
    if (WaitForSingleObject(process->info.hProcess, timeoutMs) == WAIT_OBJECT_0)
        GetExitCodeProcess(process->info.hProcess, &code);
    else
        TerminateProcess(process->info.hProcess, 1);
    CloseHandle(process->info.hThread);
    CloseHandle(process->info.hProcess);
    ZeroMemory(&process->info, sizeof process->info);
    return code;
}
