// Scripted answers for the message boxes, the folder picker and the desktop's shell,
// and a record of every question asked and every start the shell was asked for.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/win32.h"

struct AskedMessage {
    HWND owner;
    std::string text;
    std::string caption;
    UINT type;
};

struct PickedFolderRequest {
    HWND owner;
    std::string title;
};

// Answers given in order; when the queue is empty a message box answers 0 (as a
// box that could not be shown) and the picker is cancelled.
void ScriptMessageAnswers(std::vector<int> answers);
void ScriptFolderAnswer(const std::string& path);  // "" cancels
// Runs before each message box is answered, as the person would act before answering.
void ScriptBeforeEachAnswer(std::function<void(const AskedMessage&)> action);
// Whether a person sees the screen; seen until reset.
void ScriptScreenSeen(bool seen);
// How the desktop's shell answers; none until reset, which also ends a hang. One that
// refuses starts went away after it was found.
enum DesktopShellAnswer { kNoDesktopShell, kDesktopShellTakesStarts, kDesktopShellRefusesStarts, kDesktopShellHangs };
void ScriptDesktopShell(DesktopShellAnswer answer);
void ResetScriptedDialogs();

const std::vector<AskedMessage>& AskedMessages();
const std::vector<PickedFolderRequest>& PickedFolderRequests();
// Each start the shell took: the file, a blank and the parameters ("<none>" for null).
const std::vector<std::string>& DesktopStarts();
