#include "records/install_folder_hold.h"

#include "common/contained_create.h"
#include "common/contained_delete.h"
#include "common/contained_path.h"
#include "common/deployment_log.h"
#include "common/folders.h"
#include "common/product.h"
#include "common/registry_access.h"
#include "common/windows_error.h"
#include "state/setup_state.h"

// An uninstaller ending holds the folder a moment to remove it, if it is empty.
enum { kHoldAttempts = 20, kHoldRetryMs = 50 };

// Self-relative, so that no call is needed to build it (and none that Windows 95 lacks):
// a protected access list of three entries that folders and files inside inherit.
alignas(4) static const unsigned char kAdministratorsOnly[] = {
    1, 0, 0x04, 0x90, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 20, 0, 0, 0,  // self-relative, access list protected
    2, 0, 76, 0, 3, 0, 0, 0,                                            // the list: 76 B, 3 entries
    0, 3, 20, 0, 0xFF, 0x01, 0x1F, 0, 1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0,                    // SYSTEM: all
    0, 3, 24, 0, 0xFF, 0x01, 0x1F, 0, 1, 2, 0, 0, 0, 0, 0, 5, 32, 0, 0, 0, 0x20, 0x02, 0, 0,  // Administrators: all
    0, 3, 24, 0, 0xA9, 0x00, 0x12, 0, 1, 2, 0, 0, 0, 0, 0, 5, 32, 0, 0, 0, 0x21, 0x02, 0, 0,  // Users: read, run
};

const void* InstallFolderSecurity(const char* folder)
{
    // The 32-bit program on 64-bit Windows reads "ProgramFilesDir" as the (x86) folder.
    static const char* const kProgramFilesValues[] = {kProgramFilesValue, "ProgramFilesDir (x86)", "ProgramW6432Dir"};
    for (const char* name : kProgramFilesValues) {
        char programFiles[kPathCapacity];
        ReadMachineValue(WindowsVersionKey, name, programFiles, sizeof programFiles);
        if (programFiles[0] && IsInsideFolder(folder, programFiles))
            return 0;
    }
    return kAdministratorsOnly;
}

int HoldInstallFolder()
{
    int created = 0;
    const void* security = InstallFolderSecurity(g_setup.installFolder);
    g_setup.installFolderIsLink = 0;
    for (int attempt = 0; attempt < kHoldAttempts && !g_setup.installFolderHold; ++attempt) {
        created = CreateFolderChain(g_setup.installFolder, security) == ERROR_SUCCESS || created;
        // Listing counts as a use of the folder, so that no one may delete it meanwhile.
        HANDLE hold = CreateFileA(g_setup.installFolder, FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE, 0,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, 0);
        // A link at the folder's own name would lead the run into another program's
        // folder (one a user made there, or put back after an uninstall). One whose real
        // path cannot be read is held, and nothing is written into it (InstallFolderBounds).
        char leadsTo[kPathCapacity];
        if (hold != INVALID_HANDLE_VALUE && StandsAtItsName(hold, g_setup.installFolder, leadsTo) == 0) {
            Trace("Folder %s is a link to %s: not held", g_setup.installFolder, leadsTo);
            CloseHandle(hold);
            g_setup.installFolderIsLink = 1;
            SetLastError(ERROR_CANT_ACCESS_FILE);
            break;
        }
        if (hold != INVALID_HANDLE_VALUE) {
            g_setup.installFolderHold = hold;
            CopyText(g_setup.realInstallFolder, sizeof g_setup.realInstallFolder, leadsTo);
        } else if (GetLastError() == ERROR_SHARING_VIOLATION) {
            Sleep(kHoldRetryMs);
        } else if (attempt > 0) {
            break;
        }
    }
    g_setup.installFolderUnheld = !g_setup.installFolderHold;
    // Without its real path nothing is written into it (InstallFolderBounds).
    TraceOutcome(g_setup.installFolderHold ? 0 : LastErrorOr(ERROR_CANT_ACCESS_FILE), "Folder %s%s held: %s",
                 g_setup.installFolder, created ? " created and" : "", g_setup.realInstallFolder);
    if (created && security)
        Trace("Folder %s: %s", g_setup.installFolder,
              VolumeKeepsAccessLists(g_setup.installFolder) ? "for administrators to change"
                                                            : "no access lists on its volume");
    return created;
}

const char* InstallFolderBounds()
{
    return CanDeleteThroughHandles() ? g_setup.realInstallFolder : kWhereItStands;
}

void LetGoOfInstallFolder()
{
    if (g_setup.installFolderHold)
        CloseHandle(g_setup.installFolderHold);
    g_setup.installFolderHold = 0;
    g_setup.realInstallFolder[0] = 0;
    g_setup.folderEntered[0] = 0;
}
