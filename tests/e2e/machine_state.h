// What the setup program leaves on the machine, read back and cleared between tests.
#pragma once

#include <string>
#include <vector>

#include "platform/win32.h"

// Ends the stand-in application, which stays open when started without "/install".
void EndStrayApplications();

// Removes every key the setup program writes and every shortcut it makes, and the
// folders given, so that each test starts from a clean machine.
void ClearSetupTraces(const std::vector<std::string>& folders);

struct RegistryValue {
    bool present;
    DWORD type;
    DWORD size;
    std::string text;  // REG_SZ contents without the terminator
    DWORD number;      // REG_DWORD
};

// Registry access in the view the program under test writes.
RegistryValue ReadValue(HKEY hive, const char* key, const char* name);
// Deletes a key under Software with everything below it.
void DeleteKeyTree(HKEY hive, const char* key);
void WriteTextValue(HKEY hive, const char* key, const char* name, const char* text);

// Where a setup program of this tree proposes to install by default.
extern const std::string kDefaultFolder;

extern const char kProductKey[];
extern const char kSettingsKey[];
extern const char kUninstallKey[];
extern const char kExtensionKey[];

bool FileExists(const std::string& path);
bool FolderExists(const std::string& path);
std::string ReadWholeFile(const std::string& path);
// The lines of the folder's "Uninstall.cfg", each without its CR LF; a test failure
// when the last line has none.
std::vector<std::string> LogLines(const std::string& folder);

// The shell folder's path for a CSIDL value.
std::string ShellFolder(int csidl);
