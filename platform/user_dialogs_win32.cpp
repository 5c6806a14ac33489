#include "platform/user_dialogs.h"

int PlatformMessageBox(HWND owner, const char* text, const char* caption, UINT type)
{
    return MessageBoxA(owner, text, caption, type);
}

LPITEMIDLIST PlatformBrowseForFolder(BROWSEINFOA* info)
{
    return SHBrowseForFolderA(info);
}
