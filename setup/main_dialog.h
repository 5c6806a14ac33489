// The one interactive screen: greeting, license, folder, options and Install.
#pragma once

#include "platform/win32.h"

// Creates the dialog and runs the message loop until the dialog ends the run.
void RunMainDialog();

// Enables Install exactly when a folder is given and the agreement is accepted.
void UpdateInstallButton(HWND dialog);

// The shell's folder picker: 1 and the chosen path in destination (MAX_PATH), or 0
// and destination unchanged (cancelled, or a folder without a file-system path).
int PickFolder(const char* title, char* destination);
