#include "records/registry.h"

#include "common/registry_access.h"
#include "common/text_format.h"
#include "records/stored_choice.h"

const char ProductKey[] = "Software\\Velcordan\\Arbolix";
const char SettingsKey[] = "Software\\Velcordan\\Arbolix\\Settings";
const char UninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Arbolix Beta";
const char DocumentExtensionKey[] = "Software\\Classes\\.abx";
const char WindowsVersionKey[] = "Software\\Microsoft\\Windows\\CurrentVersion";

const char VendorHomePage[] = "https://www.arbolix.example/";
const char VendorSupportPage[] = "https://www.arbolix.example/support/";

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
    RegSetValueExA(key, "LicenseAgreement", 0, REG_DWORD, (const BYTE*)&acknowledged, sizeof acknowledged);
    RegCloseKey(key);
}

void WriteUninstallEntry(const char* uninstallerPath, const char* displayName)
{
    char command[MAX_PATH + 2];
    // A path too long for its quotes is not written at all rather than cut.
    if ((size_t)lstrlenA(uninstallerPath) + 3 <= sizeof command) {
        FormatText(command, sizeof command, "\"%s\"", uninstallerPath);
        WriteMachineValue(UninstallKey, "UninstallString", command);
    }
    WriteMachineValue(UninstallKey, "DisplayName", displayName);
    WriteMachineValue(UninstallKey, "Publisher", "Arbolix Inc.");
    WriteMachineValue(UninstallKey, "URLInfoAbout", VendorHomePage);
    WriteMachineValue(UninstallKey, "HelpLink", VendorSupportPage);
}

void WriteFileAssociation()
{
    WriteMachineValue(DocumentExtensionKey, 0, "Arbolix.Document");
}
