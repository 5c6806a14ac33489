#include "records/registry.h"

#include "records/stored_choice.h"
#include "setup/text_format.h"

const char ProductKey[] = "Software\\Velcordan\\Arbolix";
const char SettingsKey[] = "Software\\Velcordan\\Arbolix\\Settings";
const char UninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Arbolix Beta";
const char DocumentExtensionKey[] = "Software\\Classes\\.abx";
const char WindowsVersionKey[] = "Software\\Microsoft\\Windows\\CurrentVersion";

const char VendorHomePage[] = "https://www.arbolix.example/";
const char VendorSupportPage[] = "https://www.arbolix.example/support/";

HKEY OpenKeyForReading(HKEY hive, const char* path)
{
    HKEY key = 0;
    if (RegOpenKeyExA(hive, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        key = 0;
    return key;
}

HKEY CreateKeyForWriting(HKEY hive, const char* path)
{
    HKEY key = 0;
    DWORD disposition;
    if (RegCreateKeyExA(hive, path, 0, 0, REG_OPTION_NON_VOLATILE, KEY_WRITE, 0, &key, &disposition) !=
        ERROR_SUCCESS)
        key = 0;
    return key;
}

void ReadTextValue(HKEY key, const char* name, char* buffer, DWORD size)
{
    if (size == 0)
        return;
    buffer[0] = 0;
    if (!key)
        return;
    DWORD type = REG_NONE;
    DWORD length = size;
    LONG status = RegQueryValueExA(key, name, 0, &type, (BYTE*)buffer, &length);
    int isText = type == REG_SZ || type == REG_EXPAND_SZ;
    // Anything but a whole, terminated text reads as missing.
    if (status != ERROR_SUCCESS || !isText || length == 0 || buffer[length - 1] != 0)
        buffer[0] = 0;
}

void WriteTextValue(HKEY key, const char* name, const char* text)
{
    if (key)
        RegSetValueExA(key, name, 0, REG_SZ, (const BYTE*)text, (DWORD)lstrlenA(text) + 1);
}

void ReadMachineValue(const char* path, const char* name, char* buffer, DWORD size)
{
    HKEY key = OpenKeyForReading(HKEY_LOCAL_MACHINE, path);
    ReadTextValue(key, name, buffer, size);
    if (key)
        RegCloseKey(key);
}

void WriteMachineValue(const char* path, const char* name, const char* text)
{
    HKEY key = CreateKeyForWriting(HKEY_LOCAL_MACHINE, path);
    WriteTextValue(key, name, text);
    if (key)
        RegCloseKey(key);
}

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
