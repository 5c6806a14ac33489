// The install folder held open for an attempt, and the bounds every write into it
// keeps: nothing is written into it through a link that leads elsewhere.
#pragma once

// Creates the install folder and holds it open until it is let go, so that an
// uninstaller still ending cannot remove it meanwhile (if it removed it just before,
// it is made again), and reads its real path through that handle. 1 when this made it.
int HoldInstallFolder();

// The real folder every file and folder written under the install folder must lie in
// (common/contained_create.h): its real path while it is held; "" (nothing may be
// written) when it could not be held or its real path read; kWhereItStands where this
// Windows cannot read real paths at all (before Vista), as files were always written.
const char* InstallFolderBounds();

// The security descriptor the install folder gets when setup creates it: none (it
// inherits) under the Program Files folders, which only administrators change;
// elsewhere (under C:\ every user may change a new folder) only Administrators and
// SYSTEM may change it and what it holds, and users may read and run it:
// "D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)".
const void* InstallFolderSecurity(const char* folder);

// Closes the hold; the bounds are "" again.
void LetGoOfInstallFolder();
