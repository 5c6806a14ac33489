#include "uninstaller/install_folders.h"

#include "common/contained_path.h"
#include "common/path_text.h"
#include "common/product.h"
#include "uninstaller/log_reader.h"
#include "uninstaller/uninstall_state.h"

void LongPathOf(const char* path, char* dest)
{
    // Looked up at run time: Windows 95 and NT 4 lack it.
    typedef DWORD(WINAPI * GetLongPathNameFn)(const char*, char*, DWORD);
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    GetLongPathNameFn getLongPathName =
        kernel ? (GetLongPathNameFn)(void*)GetProcAddress(kernel, "GetLongPathNameA") : 0;
    char longPath[MAX_PATH];
    DWORD length = getLongPathName ? getLongPathName(path, longPath, sizeof longPath) : 0;
    if (length == 0 || length >= sizeof longPath || !CopyText(dest, MAX_PATH, longPath))
        CopyText(dest, MAX_PATH, path);
}

int LocateInstallation(const char* uninstallerPath)
{
    LongPathOf(uninstallerPath, g_uninstall.uninstallerPath);
    ParentFolder(g_uninstall.uninstallerPath, g_uninstall.installFolder);
    return g_uninstall.uninstallerPath[0] &&
           JoinPath(g_uninstall.logPath, g_uninstall.installFolder, kUninstallLogName);
}

static void AddAllowedFolder(const char* folder)
{
    if (!folder[0] || g_uninstall.allowedFolderCount >= kAllowedFolderCapacity)
        return;
    char* slot = g_uninstall.allowedFolders[g_uninstall.allowedFolderCount];
    LongPathOf(folder, slot);
    if (slot[0])
        ++g_uninstall.allowedFolderCount;
}

static void AddShellFolder(int csidl)
{
    char folder[MAX_PATH] = "";
    IMalloc* allocator = 0;
    LPITEMIDLIST list = 0;
    if (SHGetMalloc(&allocator) < 0 || !allocator)
        return;
    if (SHGetSpecialFolderLocation(0, csidl, &list) >= 0 && list) {
        if (!SHGetPathFromIDListA(list, folder))
            folder[0] = 0;
        allocator->Free(list);
    }
    allocator->Release();
    AddAllowedFolder(folder);
}

void FindAllowedFolders()
{
    g_uninstall.allowedFolderCount = 0;
    AddAllowedFolder(g_uninstall.installFolder);
    char system[MAX_PATH];
    UINT length = GetSystemDirectoryA(system, sizeof system);
    if (length && length < sizeof system)
        AddAllowedFolder(system);
    AddShellFolder(CSIDL_PROGRAMS);
    AddShellFolder(CSIDL_COMMON_PROGRAMS);
    AddShellFolder(CSIDL_DESKTOPDIRECTORY);
    AddShellFolder(CSIDL_COMMON_DESKTOPDIRECTORY);
}

int IsInAllowedFolder(const char* path)
{
    for (int i = 0; i < g_uninstall.allowedFolderCount; ++i)
        if (IsInsideFolder(path, g_uninstall.allowedFolders[i]))
            return 1;
    return 0;
}

int IsAllowedFolder(const char* path)
{
    for (int i = 0; i < g_uninstall.allowedFolderCount; ++i)
        if (IsSamePath(path, g_uninstall.allowedFolders[i]))
            return 1;
    return 0;
}
