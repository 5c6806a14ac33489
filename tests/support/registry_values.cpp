#include "tests/support/registry_values.h"

#include <string.h>

#include "tests/support/registry_view.h"

std::string RegistryValue::Text() const
{
    std::string text(data.begin(), data.end());
    return text.substr(0, text.find('\0'));
}

RegistryValue ReadValue(HKEY hive, const std::string& path, const char* name)
{
    RegistryValue value = {ERROR_FILE_NOT_FOUND, REG_NONE, {}, false, "", 0};
    HKEY key;
    if ((value.status = RegOpenKeyExA(hive, path.c_str(), 0, KEY_READ | kProgramView, &key)) != ERROR_SUCCESS)
        return value;
    DWORD size = 0;
    value.status = RegQueryValueExA(key, name, 0, &value.type, 0, &size);
    if (value.status == ERROR_SUCCESS) {
        value.data.resize(size);
        value.status = RegQueryValueExA(key, name, 0, &value.type, value.data.data(), &size);
        value.data.resize(size);
    }
    RegCloseKey(key);
    value.present = value.status == ERROR_SUCCESS;
    if (value.present && value.type == REG_SZ)
        value.text.assign(value.data.begin(), value.data.end() - (size && value.data[size - 1] == 0 ? 1 : 0));
    if (value.present && value.type == REG_DWORD && size == 4)
        memcpy(&value.number, value.data.data(), 4);
    return value;
}

static std::vector<std::string> EnumerateNames(HKEY hive, const std::string& path, bool subkeys)
{
    std::vector<std::string> names;
    HKEY key;
    if (RegOpenKeyExA(hive, path.c_str(), 0, KEY_READ | kProgramView, &key) != ERROR_SUCCESS)
        return names;
    for (DWORD i = 0;; ++i) {
        char name[16384];
        DWORD length = sizeof name;
        LONG status = subkeys ? RegEnumKeyExA(key, i, name, &length, 0, 0, 0, 0)
                              : RegEnumValueA(key, i, name, &length, 0, 0, 0, 0);
        if (status != ERROR_SUCCESS)
            break;
        names.push_back(std::string(name, length));
    }
    RegCloseKey(key);
    return names;
}

std::vector<std::string> ValueNames(HKEY hive, const std::string& path)
{
    return EnumerateNames(hive, path, false);
}

std::vector<std::string> SubkeyNames(HKEY hive, const std::string& path)
{
    return EnumerateNames(hive, path, true);
}

bool KeyExists(HKEY hive, const std::string& path)
{
    HKEY key;
    if (RegOpenKeyExA(hive, path.c_str(), 0, KEY_READ | kProgramView, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

void SetRaw(HKEY hive, const std::string& path, const char* name, DWORD type, const void* data, DWORD size)
{
    HKEY key;
    if (RegCreateKeyExA(hive, path.c_str(), 0, 0, 0, KEY_ALL_ACCESS | kProgramView, 0, &key, 0) != ERROR_SUCCESS)
        return;
    RegSetValueExA(key, name, 0, type, (const BYTE*)data, size);
    RegCloseKey(key);
}

void SetText(HKEY hive, const std::string& path, const char* name, const std::string& text)
{
    SetRaw(hive, path, name, REG_SZ, text.c_str(), (DWORD)text.size() + 1);
}

void DeleteValue(HKEY hive, const std::string& path, const char* name)
{
    HKEY key;
    if (RegOpenKeyExA(hive, path.c_str(), 0, KEY_SET_VALUE | kProgramView, &key) != ERROR_SUCCESS)
        return;
    RegDeleteValueA(key, name);
    RegCloseKey(key);
}

void DeleteKeyTree(HKEY hive, const std::string& path)
{
    for (const std::string& subkey : SubkeyNames(hive, path))
        DeleteKeyTree(hive, path + "\\" + subkey);
    RegDeleteKeyExA(hive, path.c_str(), kProgramView, 0);
}

SavedKey::SavedKey(HKEY hive, const std::string& path) : hive_(hive), path_(path), existed_(KeyExists(hive, path))
{
    if (existed_)
        Save("");
}

void SavedKey::Save(const std::string& relative)
{
    std::string full = relative.empty() ? path_ : path_ + "\\" + relative;
    Key saved = {relative, {}};
    for (const std::string& name : ValueNames(hive_, full)) {
        RegistryValue value = ReadValue(hive_, full, name.c_str());
        saved.values.push_back({name, value.type, value.data});
    }
    keys_.push_back(saved);
    for (const std::string& subkey : SubkeyNames(hive_, full))
        Save(relative.empty() ? subkey : relative + "\\" + subkey);
}

SavedKey::~SavedKey()
{
    DeleteKeyTree(hive_, path_);
    for (const Key& key : keys_) {
        std::string full = key.path.empty() ? path_ : path_ + "\\" + key.path;
        HKEY handle;
        if (RegCreateKeyExA(hive_, full.c_str(), 0, 0, 0, KEY_ALL_ACCESS | kProgramView, 0, &handle, 0) != ERROR_SUCCESS)
            continue;
        for (const Value& value : key.values)
            RegSetValueExA(handle, value.name.empty() ? 0 : value.name.c_str(), 0, value.type, value.data.data(),
                           (DWORD)value.data.size());
        RegCloseKey(handle);
    }
}

SavedValue::SavedValue(HKEY hive, const std::string& path, const char* name)
    : hive_(hive), path_(path), name_(name), saved_(ReadValue(hive, path, name))
{
}

SavedValue::~SavedValue()
{
    if (saved_.status == ERROR_SUCCESS)
        SetRaw(hive_, path_, name_.c_str(), saved_.type, saved_.data.data(), (DWORD)saved_.data.size());
    else
        DeleteValue(hive_, path_, name_.c_str());
}
