#include "uninstaller/install_folders.h"

#include <string.h>

#include "common/contained_delete.h"
#include "common/contained_path.h"
#include "common/path_text.h"
#include "common/product.h"
#include "uninstaller/uninstall_state.h"

int LocateInstallation(const char* uninstallerPath)
{
    LongPathOf(uninstallerPath, g_uninstall.uninstallerPath);
    ParentFolder(g_uninstall.uninstallerPath, g_uninstall.installFolder);
    return g_uninstall.uninstallerPath[0] &&
           JoinPath(g_uninstall.logPath, g_uninstall.installFolder, kUninstallLogName);
}

// The shell folder's path, or an empty text.
static void ShellFolderPath(int csidl, char* folder)
{
    folder[0] = 0;
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
}

DWORD FindAllowedFolders()
{
    // Without the folder's real path no file could be told to lie inside it.
    if (!RealPathOf(g_uninstall.installFolder, g_uninstall.realInstallFolder))
        return ERROR_CANT_RESOLVE_FILENAME;
    static const int kShortcutFolders[kShortcutFolderCapacity] = {CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS,
                                                                  CSIDL_DESKTOPDIRECTORY, CSIDL_COMMON_DESKTOPDIRECTORY};
    g_uninstall.shortcutFolderCount = 0;
    for (int csidl : kShortcutFolders) {
        char folder[kPathCapacity];
        ShellFolderPath(csidl, folder);
        if (folder[0] && RealPathOf(folder, g_uninstall.shortcutFolders[g_uninstall.shortcutFolderCount]))
            ++g_uninstall.shortcutFolderCount;
    }
    return 0;
}

// C:\ or \\server\share, with or without a final '\'.
static int IsDriveRoot(const char* folder)
{
    size_t length = strlen(folder);
    while (length && folder[length - 1] == '\\')
        --length;
    if (length == 2 && folder[1] == ':')
        return 1;
    if (folder[0] != '\\' || folder[1] != '\\')
        return 0;
    int separators = 0;
    for (size_t i = 2; i < length; ++i)
        if (folder[i] == '\\')
            ++separators;
    return separators <= 1;
}

static int IsOrHolds(const char* folder, const char* other)
{
    return other[0] && (IsSamePath(folder, other) || IsInsideFolder(other, folder));
}

// Whether the folder, by its path or its real path, is or holds the other folder.
static int IsOrHoldsFolder(const char* folder, const char* realFolder, const char* other)
{
    char realOther[kPathCapacity];
    RealPathOf(other, realOther);
    return IsOrHolds(folder, other) || IsOrHolds(realFolder, other) || IsOrHolds(realFolder, realOther);
}

static const int kFoldersOfOthers[] = {
    CSIDL_WINDOWS, CSIDL_SYSTEM, CSIDL_SYSTEMX86, CSIDL_PROGRAM_FILES, CSIDL_PROGRAM_FILESX86,
    CSIDL_PROGRAM_FILES_COMMON, CSIDL_PROGRAM_FILES_COMMONX86, CSIDL_PROFILE, CSIDL_PERSONAL, CSIDL_COMMON_DOCUMENTS,
    CSIDL_DESKTOPDIRECTORY, CSIDL_COMMON_DESKTOPDIRECTORY, CSIDL_STARTMENU, CSIDL_COMMON_STARTMENU, CSIDL_PROGRAMS,
    CSIDL_COMMON_PROGRAMS, CSIDL_STARTUP, CSIDL_COMMON_STARTUP, CSIDL_APPDATA, CSIDL_LOCAL_APPDATA,
    CSIDL_COMMON_APPDATA, CSIDL_FAVORITES, CSIDL_TEMPLATES, CSIDL_MYMUSIC, CSIDL_MYPICTURES, CSIDL_MYVIDEO,
    CSIDL_FONTS,
};

int InstallFolderHoldsOthers()
{
    const char* folder = g_uninstall.installFolder;
    char realFolder[kPathCapacity];
    RealPathOf(folder, realFolder);
    if (IsDriveRoot(folder) || IsDriveRoot(realFolder))
        return 1;
    char other[kPathCapacity];
    for (int csidl : kFoldersOfOthers) {
        ShellFolderPath(csidl, other);
        if (IsOrHoldsFolder(folder, realFolder, other))
            return 1;
    }
    // A 32-bit program on 64-bit Windows sees the 64-bit Program Files only here.
    DWORD length = GetEnvironmentVariableA("ProgramW6432", other, sizeof other);
    if (length && length < sizeof other && IsOrHoldsFolder(folder, realFolder, other))
        return 1;
    // Every user's profile lies in the folder that holds the current user's.
    char profiles[kPathCapacity], realProfiles[kPathCapacity];
    ShellFolderPath(CSIDL_PROFILE, other);
    if (!other[0])
        return 0;
    ParentFolder(other, profiles);
    RealPathOf(profiles, realProfiles);
    char parent[kPathCapacity], realParent[kPathCapacity];
    ParentFolder(folder, parent);
    ParentFolder(realFolder, realParent);
    return IsOrHoldsFolder(folder, realFolder, profiles) || IsSamePath(parent, profiles) ||
           IsSamePath(realParent, realProfiles);
}
