// The one interactive screen: greeting, license, folder, options and Install.
#pragma once

#include "platform/win32.h"

// Creates the dialog and runs the message loop until the dialog ends the run.
void RunMainDialog();
