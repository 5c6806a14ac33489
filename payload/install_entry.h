// Installing one archive entry: the version rule, the runtime prerequisite, and the
// file written read-only with the entry's three times, logged for uninstall.
#pragma once

#include "payload/archive_reader.h"

extern const char kReasonRunningApplications[];
extern const char kReasonFreeDiskSpace[];
extern const char kReasonWritePermission[];

// 0: go on with the next entry (installed, left alone, or skipped by the user);
// ERROR_RETRY (1237): call again with the same entry; 5, 32 or 29: the installation is
// abandoned and the setup state's exit code holds that value.
unsigned long InstallEntry(const DirectoryEntry* entry);
