// The setup program's registry records: its product values, the agreement choice and
// its acknowledgement, the uninstall entry and the file association. Registry
// failures are never reported: a value that cannot be read is empty, one that
// cannot be written is simply missing.
#pragma once

#include "platform/win32.h"

// The keys and value names are in common/product.h.
void ReadProductValue(const char* name, char* buffer, DWORD size);
void WriteProductValue(const char* name, const char* text);

// A choice stored as one letter, "N" (0) or "Y" (1). Load checks the button with the
// stored choice, or with the default for anything else, and returns it; store
// writes the button's state and returns it.
int LoadChoice(HWND dialog, int button, const char* name, int defaultChoice);
int StoreChoice(HWND dialog, int button, const char* name);

// The acknowledgement := 3 (REG_DWORD) under the current user's settings.
void RecordAgreementAcknowledgement();

// The entry in the list of installed programs: the uninstaller (written in double
// quotes, so that a path with spaces cannot start a planted C:\Program.exe), the
// display name, the publisher and the vendor's pages.
void WriteUninstallEntry(const char* uninstallerPath, const char* displayName);

// ".abx" documents belong to the document class.
void WriteFileAssociation();
