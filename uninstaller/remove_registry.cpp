#include "uninstaller/remove_registry.h"

#include <string.h>

#include "common/deployment_log.h"
#include "common/path_text.h"
#include "common/product.h"
#include "common/registry_access.h"
#include "uninstaller/uninstall_state.h"

static int NamesPath(const char* text, const char* path)
{
    char longPath[kPathCapacity];
    LongPathOf(text, longPath);
    return IsSamePath(longPath, path);
}

// The uninstall entry may hold the path in double quotes, so that Windows cannot
// take a part of a path with spaces for a program.
static void Unquote(const char* text, char* path)
{
    const char* start = text[0] == '"' ? text + 1 : text;
    const char* end = start == text ? 0 : strchr(start, '"');
    size_t length = end ? (size_t)(end - start) : strlen(start);
    if (length >= kPathCapacity)
        length = 0;
    memcpy(path, start, length);
    path[length] = 0;
}

static const char* HiveName(HKEY hive)
{
    return hive == HKEY_CURRENT_USER ? "HKCU" : "HKLM";
}

static void DeleteValue(HKEY hive, const char* key, const char* name)
{
    HKEY handle;
    if (RegOpenKeyExA(hive, key, 0, KEY_SET_VALUE, &handle) != ERROR_SUCCESS)
        return;
    LONG status = RegDeleteValueA(handle, name);
    RegCloseKey(handle);
    const char* shown = name ? name : "(default)";
    if (status != ERROR_FILE_NOT_FOUND)
        TraceOutcome((DWORD)status, "Remove registry value %s\\%s, %s", HiveName(hive), key, shown);
}

static void DeleteKey(HKEY hive, const char* key)
{
    LONG status = RegDeleteKeyA(hive, key);
    if (status != ERROR_FILE_NOT_FOUND)
        TraceOutcome((DWORD)status, "Remove registry key %s\\%s", HiveName(hive), key);
}

// Counts of a key's subkeys and values; 0 when the key cannot be opened.
static int CountContents(HKEY hive, const char* key, DWORD* subkeys, DWORD* values)
{
    HKEY handle = OpenKeyForReading(hive, key);
    if (!handle)
        return 0;
    LONG status = RegQueryInfoKeyA(handle, 0, 0, 0, subkeys, 0, 0, values, 0, 0, 0, 0);
    RegCloseKey(handle);
    return status == ERROR_SUCCESS;
}

static void DeleteKeyIfEmpty(HKEY hive, const char* key)
{
    DWORD subkeys, values;
    if (CountContents(hive, key, &subkeys, &values) && subkeys == 0 && values == 0)
        RegDeleteKeyA(hive, key);
}

// True when the product key holds nothing but the shared agreement choice, or is
// not there at all (a run without the right to write it leaves only the user's value).
static int NoOtherProductValues(void)
{
    HKEY handle;
    LONG status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, ProductKey, 0, KEY_READ, &handle);
    if (status == ERROR_FILE_NOT_FOUND)
        return 1;
    if (status != ERROR_SUCCESS)
        return 0;
    DWORD subkeys = 0, values = 0;
    status = RegQueryInfoKeyA(handle, 0, 0, 0, &subkeys, 0, 0, &values, 0, 0, 0, 0);
    RegCloseKey(handle);
    char choice[32];
    return status == ERROR_SUCCESS && subkeys == 0 &&
           (values == 0 || (values == 1 && ReadMachineValue(ProductKey, kAgreementValue, choice, sizeof choice)));
}

void RemoveRegistryRecords()
{
    char text[kPathCapacity], path[kPathCapacity];
    if (ReadMachineValue(UninstallKey, kUninstallCommandValue, text, sizeof text)) {
        Unquote(text, path);
        if (NamesPath(path, g_uninstall.uninstallerPath))
            DeleteKey(HKEY_LOCAL_MACHINE, UninstallKey);
        else
            Trace("Kept the uninstall entry: it names another installation's uninstaller, %s", path);
    }

    if (ReadMachineValue(ProductKey, kBetaFolderValue, text, sizeof text) &&
        !NamesPath(text, g_uninstall.installFolder)) {
        Trace("Kept the product's values: they name another installation, in %s", text);
        return;
    }

    DeleteValue(HKEY_LOCAL_MACHINE, ProductKey, kBetaFolderValue);
    DeleteValue(HKEY_LOCAL_MACHINE, ProductKey, kInstallDateValue);

    // Another value shows another Arbolix installation, which the association and
    // the agreement serve too.
    if (!NoOtherProductValues()) {
        Trace("Kept the file association and the agreement: another Arbolix installation uses them");
        return;
    }
    if (ReadMachineValue(DocumentExtensionKey, 0, text, sizeof text) &&
        lstrcmpiA(text, kDocumentClass) == 0) {
        DeleteValue(HKEY_LOCAL_MACHINE, DocumentExtensionKey, 0);
        DeleteKeyIfEmpty(HKEY_LOCAL_MACHINE, DocumentExtensionKey);
    }
    DeleteValue(HKEY_LOCAL_MACHINE, ProductKey, kAgreementValue);
    DeleteKeyIfEmpty(HKEY_LOCAL_MACHINE, ProductKey);
    DeleteKeyIfEmpty(HKEY_LOCAL_MACHINE, CompanyKey);
    DeleteValue(HKEY_CURRENT_USER, SettingsKey, kAcknowledgementValue);
    DeleteKeyIfEmpty(HKEY_CURRENT_USER, SettingsKey);
    DeleteKeyIfEmpty(HKEY_CURRENT_USER, ProductKey);
    DeleteKeyIfEmpty(HKEY_CURRENT_USER, CompanyKey);
}
