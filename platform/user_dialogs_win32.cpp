#include "platform/user_dialogs.h"

#include <string.h>

int PlatformMessageBox(HWND owner, const char* text, const char* caption, UINT type)
{
    return MessageBoxA(owner, text, caption, type);
}

int PlatformScreenIsSeen()
{
    static int seen, known;  // zero at start, as everything of the stub's own
    if (!known) {
        known = 1;
        USEROBJECTFLAGS flags = {};
        DWORD needed = 0;
        // A station that cannot be asked is taken as seen, as before.
        seen = !GetUserObjectInformationA(GetProcessWindowStation(), UOI_FLAGS, &flags, sizeof flags, &needed) ||
               (flags.dwFlags & WSF_VISIBLE) != 0;
    }
    return seen;
}

int PlatformPickFolder(HWND owner, const char* title, char* path, size_t capacity)
{
    IMalloc* allocator = 0;
    LPITEMIDLIST desktop = 0;
    if (FAILED(SHGetMalloc(&allocator)) || !allocator)
        return 0;
    if (FAILED(SHGetSpecialFolderLocation(owner, CSIDL_DESKTOP, &desktop))) {
        allocator->Release();
        return 0;
    }
    char displayName[MAX_PATH];
    BROWSEINFOA info = {};
    info.hwndOwner = owner;
    info.pidlRoot = desktop;
    info.pszDisplayName = displayName;
    info.lpszTitle = title;

    int picked = 0;
    LPITEMIDLIST chosen = SHBrowseForFolderA(&info);
    char chosenPath[MAX_PATH];
    if (chosen && SHGetPathFromIDListA(chosen, chosenPath) && strlen(chosenPath) < capacity) {
        memcpy(path, chosenPath, strlen(chosenPath) + 1);
        picked = 1;
    }
    if (chosen)
        allocator->Free(chosen);
    allocator->Free(desktop);
    allocator->Release();
    return picked;
}
