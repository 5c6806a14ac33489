// The seam for the answers a person gives: message boxes and the folder picker.
// The setup program links the real dialogs; the Windows tests link scripted ones.
#pragma once

#include "platform/win32.h"

int PlatformMessageBox(HWND owner, const char* text, const char* caption, UINT type);
LPITEMIDLIST PlatformBrowseForFolder(BROWSEINFOA* info);
