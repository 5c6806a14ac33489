// Drives the real setup program and the uninstaller the way a person would: finds
// their dialog and message boxes by class and control id, clicks, types and answers.
#pragma once

#include <string>
#include <vector>

#include "platform/win32.h"

struct SetupProcess {
    PROCESS_INFORMATION info;
};

// Starts the program with the given command-line tail, on the given desktop
// ("Station\\Desktop") or the test's own. 0 when it cannot start.
int StartProgram(const std::string& exe, const std::string& arguments, SetupProcess* process,
                 const char* desktop = 0);

// A desktop of a window station nobody sees, as a service's or session 0's on Windows
// (Wine marks a station made by CreateWindowStation not visible too); made on first use
// and kept for the test program's life. Null when it cannot be made.
const char* UnseenDesktop();

// The program's visible top-level dialog that holds the given control, or null
// after the timeout.
HWND WaitForDialogWithControl(const SetupProcess& process, int controlId, int timeoutMs = 15000);

struct MessageBoxSeen {
    HWND window;
    std::string caption;
    std::string text;
    std::vector<int> buttons;  // ids of the buttons, in z-order
};

// Waits for a message box of the program. window is null after the timeout.
MessageBoxSeen WaitForMessageBox(const SetupProcess& process, int timeoutMs = 15000);

// Presses a button of a message box (posted: the program may act on it at length)
// and waits until the box has gone.
void Answer(const MessageBoxSeen& box, int buttonId);

// The caption of the setup dialog and of both programs' message boxes.
extern const char kCaption[];

// Waits for the program's next message box and expects exactly this text and these
// buttons, in any order; a fatal failure when none comes. The box is left for the
// caller to answer.
void ExpectMessageBox(const SetupProcess& process, const std::string& text, std::vector<int> buttons,
                      MessageBoxSeen* box, int timeoutMs = 15000);
// The same with the caption of both programs' message boxes, then answers it.
void ExpectMessage(const SetupProcess& process, const std::string& text, std::vector<int> buttons, int answer);

// Clicks a radio button or check box and waits until the dialog has handled it.
void Click(HWND dialog, int controlId);
// Presses a push button without waiting: Install runs inside its own handler.
void Press(HWND dialog, int controlId);
// Replaces the text of an edit field, as typing would (the dialog sees EN_CHANGE).
void TypeText(HWND dialog, int controlId, const std::string& text);
std::string ControlText(HWND dialog, int controlId);
int IsChecked(HWND dialog, int controlId);
int IsEnabled(HWND dialog, int controlId);
// Closes the dialog as the close box does.
void CloseWithCloseBox(HWND dialog);

// Waits for the program to end: its full exit code, or STILL_ACTIVE after the timeout
// (then the program is killed).
DWORD WaitForExit(SetupProcess* process, int timeoutMs = 60000);
