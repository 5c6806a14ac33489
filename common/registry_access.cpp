#include "common/registry_access.h"

#include <string.h>

#include "common/deployment_log.h"

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

int ReadTextValue(HKEY key, const char* name, char* buffer, DWORD size)
{
    if (size == 0)
        return 0;
    buffer[0] = 0;
    if (!key)
        return 0;
    DWORD type = REG_NONE;
    DWORD length = size;
    LONG status = RegQueryValueExA(key, name, 0, &type, (BYTE*)buffer, &length);
    int isText = type == REG_SZ || type == REG_EXPAND_SZ;
    // Anything but a whole, terminated text reads as missing.
    if (status != ERROR_SUCCESS || !isText || length == 0 || buffer[length - 1] != 0) {
        buffer[0] = 0;
        return 0;
    }
    return 1;
}

// A REG_SZ with its terminator; a null name is the key's default value.
static LONG WriteTextValue(HKEY key, const char* name, const char* text)
{
    return RegSetValueExA(key, name, 0, REG_SZ, (const BYTE*)text, (DWORD)strlen(text) + 1);
}

int ReadMachineValue(const char* path, const char* name, char* buffer, DWORD size)
{
    HKEY key = OpenKeyForReading(HKEY_LOCAL_MACHINE, path);
    int read = ReadTextValue(key, name, buffer, size);
    if (key)
        RegCloseKey(key);
    return read;
}

void WriteMachineValue(const char* path, const char* name, const char* text)
{
    HKEY key = 0;
    LONG status = RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, 0, REG_OPTION_NON_VOLATILE, KEY_WRITE, 0, &key, 0);
    if (status == ERROR_SUCCESS) {
        status = WriteTextValue(key, name, text);
        RegCloseKey(key);
    }
    TraceOutcome((DWORD)status, "Registry HKLM\\%s, %s = \"%s\"", path, name ? name : "(default)", text);
}
