// The seam for the answers a person gives: message boxes and the folder picker.
// The setup program links the real dialogs; the Windows tests link scripted ones.
#pragma once

#include <stddef.h>

#include "platform/win32.h"

int PlatformMessageBox(HWND owner, const char* text, const char* caption, UINT type);

// 0 when the process's window station is one nobody sees (a service's, session 0's):
// a box shown there would wait for ever. Read once.
int PlatformScreenIsSeen();

// The shell's folder picker, rooted at the desktop, with the title above its tree:
// 1 and the chosen folder's path in path (capacity characters), or 0 and path
// unchanged when it was cancelled or the folder has no file-system path.
int PlatformPickFolder(HWND owner, const char* title, char* path, size_t capacity);
