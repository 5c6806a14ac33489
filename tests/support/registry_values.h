// The registry as the tests see it, in the view the program under test writes
// (registry_view.h): the keys the setup program writes, values read back, written
// and deleted, and state a test changes, saved when it starts and put back when it ends.
#pragma once

#include <string>
#include <vector>

#include "platform/win32.h"

// The keys the setup program writes, relative to their hive, as the tests expect them.
inline constexpr char kCompanyKey[] = "Software\\Velcordan";  // in both hives
inline constexpr char kProductKey[] = "Software\\Velcordan\\Arbolix";
inline constexpr char kSettingsKey[] = "Software\\Velcordan\\Arbolix\\Settings";
inline constexpr char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Arbolix Beta";
inline constexpr char kExtensionKey[] = "Software\\Classes\\.abx";

struct RegistryValue {
    LONG status;             // ERROR_SUCCESS when the value exists
    DWORD type;
    std::vector<BYTE> data;  // as stored, its size the value's size in bytes
    bool present;            // the value exists
    std::string text;        // a REG_SZ's data without its terminator
    DWORD number;            // a REG_DWORD's number
    std::string Text() const;  // the data up to its first zero, whatever its type
};

// A value as RegQueryValueExA gives it back, with its type and its size in bytes.
RegistryValue ReadValue(HKEY hive, const std::string& path, const char* name);
std::vector<std::string> ValueNames(HKEY hive, const std::string& path);
std::vector<std::string> SubkeyNames(HKEY hive, const std::string& path);
bool KeyExists(HKEY hive, const std::string& path);

void SetRaw(HKEY hive, const std::string& path, const char* name, DWORD type, const void* data, DWORD size);
void SetText(HKEY hive, const std::string& path, const char* name, const std::string& text);
void DeleteValue(HKEY hive, const std::string& path, const char* name);
// Deletes the key with everything below it.
void DeleteKeyTree(HKEY hive, const std::string& path);

// A whole key with its values and subkeys; put back exactly (or removed when it was
// absent) on destruction.
class SavedKey {
public:
    SavedKey(HKEY hive, const std::string& path);
    ~SavedKey();
    SavedKey(const SavedKey&) = delete;
    SavedKey& operator=(const SavedKey&) = delete;

private:
    struct Value {
        std::string name;
        DWORD type;
        std::vector<BYTE> data;
    };
    struct Key {
        std::string path;  // relative to the saved key, "" for itself
        std::vector<Value> values;
    };
    void Save(const std::string& relative);

    HKEY hive_;
    std::string path_;
    bool existed_;
    std::vector<Key> keys_;
};

// One value, put back (or removed when it was absent) on destruction.
class SavedValue {
public:
    SavedValue(HKEY hive, const std::string& path, const char* name);
    ~SavedValue();
    SavedValue(const SavedValue&) = delete;
    SavedValue& operator=(const SavedValue&) = delete;

private:
    HKEY hive_;
    std::string path_;
    std::string name_;
    RegistryValue saved_;
};
