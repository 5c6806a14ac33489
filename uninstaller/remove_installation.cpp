#include "uninstaller/remove_installation.h"

#include "common/path_text.h"
#include "uninstaller/install_folders.h"
#include "uninstaller/remove_files.h"
#include "uninstaller/remove_registry.h"
#include "uninstaller/remove_shortcuts.h"
#include "uninstaller/uninstall_state.h"

DWORD RemoveInstallation(int* installFolderListed)
{
    if (InstallFolderHoldsOthers())
        return kFolderHoldsOthers;
    DWORD error = FindAllowedFolders();
    if (error)
        return error;
    error = RemoveShortcuts();
    DWORD filesError = RemoveLoggedFiles(installFolderListed);
    if (!error)
        error = filesError;
    if (error)
        return error;
    RemoveRegistryRecords();
    error = DeleteFileInInstallation(g_uninstall.logPath);
    if (error)
        CopyText(g_uninstall.failedPath, sizeof g_uninstall.failedPath, g_uninstall.logPath);
    return error;
}
