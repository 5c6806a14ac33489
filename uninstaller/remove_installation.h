// The removal itself, as the temporary copy runs it.
#pragma once

#include "platform/win32.h"

// Removes the installation of the state's install folder unless the folder holds
// more than Arbolix (kFolderHoldsOthers) or its real path cannot be read
// (ERROR_CANT_RESOLVE_FILENAME): its shortcuts, the files and folders its
// log lists, its registry records, and last the log. Stops before the registry
// records at the first failure (the state's failedPath names its file), so that the
// removal can run again. *installFolderListed tells whether setup created the
// install folder itself. 0 or the Windows error.
DWORD RemoveInstallation(int* installFolderListed);
