#include "shell/shortcuts.h"

#include "common/deployment_log.h"
#include "common/path_text.h"
#include "records/uninstall_log.h"
#include "state/setup_state.h"

static const char kLinkDescription[] =
    "Powerful graphical editor capable to create the most complex genealogy tree";

int GetShellFolderPath(int csidl, char* path)
{
    path[0] = 0;
    HWND owner = GetActiveWindow();
    IMalloc* allocator = 0;
    if (FAILED(SHGetMalloc(&allocator)) || !allocator)
        return 0;
    LPITEMIDLIST folder = 0;
    int found = 0;
    if (SUCCEEDED(SHGetSpecialFolderLocation(owner, csidl, &folder))) {
        found = SHGetPathFromIDListA(folder, path) ? 1 : 0;
        allocator->Free(folder);
    }
    allocator->Release();
    if (!found)
        path[0] = 0;
    return found;
}

int GetDesktopFolderPath(char* path)
{
    return GetShellFolderPath(g_setup.allUsers ? CSIDL_COMMON_DESKTOPDIRECTORY : CSIDL_DESKTOPDIRECTORY, path);
}

int GetProgramsFolderPath(char* path)
{
    return GetShellFolderPath(g_setup.allUsers ? CSIDL_COMMON_PROGRAMS : CSIDL_PROGRAMS, path);
}

// 1 for a result that counts as saved; a failure is kept for the exit code.
static int JudgeLinkResult(HRESULT result, HRESULT* failure)
{
    if (FAILED(result) && failure)
        *failure = result;
    return SUCCEEDED(result) ? 1 : 0;
}

int CreateShellLink(const char* linkPath, const char* targetPath, HRESULT* failure)
{
    IShellLinkA* link = 0;
    HRESULT created = CoCreateInstance(CLSID_ShellLink, 0, CLSCTX_INPROC_SERVER, IID_IShellLinkA, (void**)&link);
    if (FAILED(created)) {
        Trace("Shortcut %s: HRESULT 0x%08lX", linkPath, (unsigned long)created);
        return JudgeLinkResult(created, failure);
    }
    link->SetPath(targetPath);
    char workingFolder[kPathCapacity];
    ParentFolder(targetPath, workingFolder);
    link->SetWorkingDirectory(workingFolder);
    link->SetDescription(kLinkDescription);

    IPersistFile* file = 0;
    HRESULT result = link->QueryInterface(IID_IPersistFile, (void**)&file);
    if (SUCCEEDED(result)) {
        WCHAR widePath[kPathCapacity];
        if (MultiByteToWideChar(CP_ACP, 0, linkPath, -1, widePath, kPathCapacity))
            result = file->Save(widePath, TRUE);
        else
            result = E_INVALIDARG;
        file->Release();
    }
    link->Release();
    Trace("Shortcut %s: HRESULT 0x%08lX", linkPath, (unsigned long)result);
    return JudgeLinkResult(result, failure);
}

typedef int (*FolderLookup)(char* path);

static int CreateShortcut(FolderLookup lookup, const char* linkName, const char* targetPath, HRESULT* failure)
{
    for (;;) {
        char linkPath[kPathCapacity];
        if (!lookup(linkPath))
            return 0;
        if (AppendToPath(linkPath, linkName)) {
            LogInstalledFile(linkPath);
            if (CreateShellLink(linkPath, targetPath, failure))
                return 1;
        }
        if (!g_setup.allUsers)
            return 0;
        g_setup.allUsers = 0;
    }
}

int CreateProgramsShortcut(const char* linkName, const char* targetPath, HRESULT* failure)
{
    return CreateShortcut(GetProgramsFolderPath, linkName, targetPath, failure);
}

int CreateDesktopShortcut(const char* linkName, const char* targetPath, HRESULT* failure)
{
    return CreateShortcut(GetDesktopFolderPath, linkName, targetPath, failure);
}
