// Installing one archive entry: the version rule, the runtime prerequisite, and the
// file unpacked and written read-only with the entry's three times, logged for
// uninstall.
#pragma once

#include "payload/archive_reader.h"
#include "platform/win32.h"

extern const char kReasonRunningApplications[];
extern const char kReasonFreeDiskSpace[];
extern const char kReasonWritePermission[];

// Unpacks one piece of an entry; on failure shows "Unable to decompress data" (in
// every mode) and returns 0.
int UnpackOrShowFailure(const unsigned char* source, unsigned long storedSize,
                        unsigned char* dest, unsigned long size);

// 0: go on with the next entry (installed, left alone, or skipped by the user);
// ERROR_RETRY (1237): call again with the same entry; 5, 32 or 29: the installation is
// abandoned. *failure is the code of a failure the entry met (5, 32 or 29), whatever
// the user answered to it, else 0.
unsigned long InstallEntry(const DirectoryEntry* entry, DWORD* failure);
