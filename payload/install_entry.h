// Installing one archive entry: the version rule, the runtime prerequisite, and the
// file written read-only with the entry's three times, logged for uninstall. A
// deflated piece comes inflated from the thread of payload/inflate_ahead.h.
#pragma once

#include "payload/archive_reader.h"
#include "platform/win32.h"

extern const char kReasonRunningApplications[];
extern const char kReasonFreeDiskSpace[];
extern const char kReasonWritePermission[];

// 0: go on with the next entry (installed, left alone, or skipped by the user);
// ERROR_RETRY (1237): call again with the same entry; 5, 32 or 29: the installation is
// abandoned. *failure is the code of a failure the entry met (5, 32 or 29), whatever
// the user answered to it, else 0.
unsigned long InstallEntry(const DirectoryEntry* entry, DWORD* failure);

// Before the files of a previous installation are deleted: whether the file the
// entry writes is in use (common/contained_create.h, FindFileInUse). One in use is
// the entry's failure, asked about as InstallEntry asks (Retry looks again); the
// answer is 0 (free, or Ignore) or the code, 32. *failure as for InstallEntry.
// realFolder: the install folder's real path, as InstallFolderBounds gives it.
unsigned long CheckEntryNotInUse(const DirectoryEntry* entry, const char* realFolder, DWORD* failure);
