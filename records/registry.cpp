#include "records/registry.h"

#include <string.h>

#include "common/deployment_log.h"
#include "common/path_text.h"
#include "common/product.h"
#include "common/registry_access.h"
#include "common/text_format.h"
#include "records/stored_choice.h"

void ReadProductValue(const char* name, char* buffer, DWORD size)
{
    ReadMachineValue(ProductKey, name, buffer, size);
}

void WriteProductValue(const char* name, const char* text)
{
    WriteMachineValue(ProductKey, name, text);
}

int LoadChoice(HWND dialog, int button, const char* name, int defaultChoice)
{
    char text[32];
    ReadProductValue(name, text, sizeof text);
    int choice = ChoiceFromText(text, defaultChoice);
    CheckDlgButton(dialog, button, choice);
    return choice;
}

int StoreChoice(HWND dialog, int button, const char* name)
{
    int checked = IsDlgButtonChecked(dialog, button) == BST_CHECKED ? 1 : 0;
    char letter[2] = {ChoiceLetter(checked), 0};
    WriteProductValue(name, letter);
    return checked;
}

void RecordAgreementAcknowledgement()
{
    HKEY key = CreateKeyForWriting(HKEY_CURRENT_USER, SettingsKey);
    if (!key)
        return;
    DWORD acknowledged = 3;
    LONG status =
        RegSetValueExA(key, kAcknowledgementValue, 0, REG_DWORD, (const BYTE*)&acknowledged, sizeof acknowledged);
    RegCloseKey(key);
    TraceOutcome((DWORD)status, "Registry HKCU\\%s, %s = 3", SettingsKey, kAcknowledgementValue);
}

void WriteUninstallEntry(const char* uninstallerPath, const char* displayName)
{
    char command[kPathCapacity + 2];
    // A path too long for its quotes is not written at all rather than cut.
    if (strlen(uninstallerPath) + 3 <= sizeof command) {
        FormatText(command, sizeof command, "\"%s\"", uninstallerPath);
        WriteMachineValue(UninstallKey, kUninstallCommandValue, command);
    }
    WriteMachineValue(UninstallKey, kDisplayNameValue, displayName);
    WriteMachineValue(UninstallKey, kPublisherValue, kPublisher);
    WriteMachineValue(UninstallKey, kHomePageValue, kVendorHomePage);
    WriteMachineValue(UninstallKey, kSupportPageValue, kVendorSupportPage);
}

void WriteFileAssociation()
{
    WriteMachineValue(DocumentExtensionKey, 0, kDocumentClass);
}
