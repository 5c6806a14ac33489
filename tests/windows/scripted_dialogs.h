// Scripted answers for the message boxes and the folder picker, and a record of
// every question asked.
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
void ResetScriptedDialogs();

const std::vector<AskedMessage>& AskedMessages();
const std::vector<PickedFolderRequest>& PickedFolderRequests();
