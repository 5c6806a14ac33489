// The payload walk: every entry of the archive "Z"/110, in directory order.
#pragma once

#include "platform/win32.h"

// 1 when the installation may go on to its finishing stage; 0 when it was abandoned.
// *failure is the code of the last failure met (5, 32 or 29), whether the walk went
// on after it (Ignore, or a Retry that worked) or not, else 0. An archive that is
// missing or cannot be read abandons it with 29 after "Unable to decompress data"
// (not shown for a missing one in silent mode).
int InstallPayload(DWORD* failure);

// Before the files of a previous installation are deleted: 1 when no file the payload
// writes is in use, or the user ignored each one that is; 0 when the installation is
// abandoned (Abort, or any such file under -USilent), nothing deleted. *failure as for
// InstallPayload (32).
int CheckFilesNotInUse(DWORD* failure);
