#include "setup/install_folder.h"

#include "common/path_text.h"
#include "common/product.h"
#include "common/registry_access.h"
#include "records/registry.h"
#include "state/setup_state.h"

static const char kFallbackProgramFiles[] = "C:\\Program Files";

// The beta channel lives beside the release: the last component becomes the
// channel's name (a drive root keeps its separator). 0 when the result would not fit.
static int ToChannelFolder(char* folder)
{
    ParentFolder(folder, folder);
    return AppendToPath(folder, kChannelName);
}

static void ProgramFilesChannelFolder(char* folder)
{
    ReadMachineValue(WindowsVersionKey, kProgramFilesValue, folder, kPathCapacity);
    if (!folder[0])
        CopyText(folder, kPathCapacity, kFallbackProgramFiles);
    if (AppendToPath(folder, kProductName) && ToChannelFolder(folder))
        return;
    JoinPath(folder, kFallbackProgramFiles, kChannelName);
}

static const char* ChooseDefaultFolder(char* folder)
{
    if (g_setup.commandLineFolder && g_setup.folderForced) {
        CopyText(folder, kPathCapacity, g_setup.commandLineFolder);
        return "-Path";
    }
    ReadProductValue(kBetaFolderValue, folder, kPathCapacity);
    if (folder[0])
        return "stored beta folder";
    if (g_setup.commandLineFolder && CopyText(folder, kPathCapacity, g_setup.commandLineFolder) && folder[0])
        return "-PathDefault";
    ReadProductValue(kReleaseFolderValue, folder, kPathCapacity);
    // Its last level is found as Windows reads the folder (D:/Apps/Arbolix too).
    MakeFullPath(folder);
    if (folder[0] && ToChannelFolder(folder))
        return "beside the stored release folder";
    ProgramFilesChannelFolder(folder);
    return "default";
}

const char* ResolveDefaultFolder(char* folder)
{
    const char* chosen = ChooseDefaultFolder(folder);
    MakeFullPath(folder);
    return chosen;
}

void RememberInstallFolder(const char* folder)
{
    WriteProductValue(kBetaFolderValue, folder);
}
