#include "machine_state.h"

#include <gtest/gtest.h>
#include <shlwapi.h>
#include <tlhelp32.h>

#include <stdio.h>

#include "tests/windows/registry_view.h"
#include "tests/windows/temp_folder.h"

const std::string kDefaultFolder = std::string(kProgramFilesFolder) + "\\Arbolix Beta";

const char kProductKey[] = "Software\\Velcordan\\Arbolix";
const char kSettingsKey[] = "Software\\Velcordan\\Arbolix\\Settings";
const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Arbolix Beta";
const char kExtensionKey[] = "Software\\Classes\\.abx";

std::string ShellFolder(int csidl)
{
    char path[MAX_PATH] = "";
    SHGetFolderPathA(0, csidl, 0, 0, path);
    return path;
}

void EndStrayApplications()
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        if (lstrcmpiA(entry.szExeFile, "Arbolix.exe") != 0)
            continue;
        HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID);
        if (process) {
            TerminateProcess(process, 0);
            WaitForSingleObject(process, 5000);
            CloseHandle(process);
        }
    }
    CloseHandle(snapshot);
}

void DeleteKeyTree(HKEY hive, const char* key)
{
    HKEY software;
    if (RegOpenKeyExA(hive, "Software", 0, KEY_ALL_ACCESS | kProgramView, &software) != ERROR_SUCCESS)
        return;
    SHDeleteKeyA(software, key + sizeof "Software");
    RegCloseKey(software);
}

void ClearSetupTraces(const std::vector<std::string>& folders)
{
    DeleteKeyTree(HKEY_LOCAL_MACHINE, "Software\\Velcordan");
    DeleteKeyTree(HKEY_CURRENT_USER, "Software\\Velcordan");
    DeleteKeyTree(HKEY_LOCAL_MACHINE, kUninstallKey);
    DeleteKeyTree(HKEY_LOCAL_MACHINE, kExtensionKey);
    for (int csidl : {CSIDL_COMMON_PROGRAMS, CSIDL_PROGRAMS, CSIDL_COMMON_DESKTOPDIRECTORY, CSIDL_DESKTOPDIRECTORY}) {
        std::string link = ShellFolder(csidl) + "\\Arbolix Beta.lnk";
        SetFileAttributesA(link.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(link.c_str());
    }
    for (const std::string& folder : folders)
        RemoveTree(folder);
}

RegistryValue ReadValue(HKEY hive, const char* key, const char* name)
{
    RegistryValue value = {};
    HKEY handle;
    if (RegOpenKeyExA(hive, key, 0, KEY_READ | kProgramView, &handle) != ERROR_SUCCESS)
        return value;
    unsigned char data[4096];
    DWORD size = sizeof data;
    if (RegQueryValueExA(handle, name, 0, &value.type, data, &size) == ERROR_SUCCESS) {
        value.present = true;
        value.size = size;
        if (value.type == REG_SZ)
            value.text.assign((const char*)data, size && data[size - 1] == 0 ? size - 1 : size);
        if (value.type == REG_DWORD && size == 4)
            memcpy(&value.number, data, 4);
    }
    RegCloseKey(handle);
    return value;
}

void WriteTextValue(HKEY hive, const char* key, const char* name, const char* text)
{
    HKEY handle;
    if (RegCreateKeyExA(hive, key, 0, 0, 0, KEY_WRITE | kProgramView, 0, &handle, 0) != ERROR_SUCCESS)
        return;
    RegSetValueExA(handle, name, 0, REG_SZ, (const BYTE*)text, (DWORD)strlen(text) + 1);
    RegCloseKey(handle);
}

bool FileExists(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ReadWholeFile(const std::string& path)
{
    std::string bytes;
    FILE* file = fopen(path.c_str(), "rb");
    if (!file) return bytes;
    char chunk[4096];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, file)) > 0) bytes.append(chunk, got);
    fclose(file);
    return bytes;
}

std::vector<std::string> LogLines(const std::string& folder)
{
    std::string log = ReadWholeFile(folder + "\\Uninstall.cfg");
    std::vector<std::string> lines;
    size_t start = 0, end;
    while ((end = log.find("\r\n", start)) != std::string::npos) {
        lines.push_back(log.substr(start, end - start));
        start = end + 2;
    }
    EXPECT_EQ(log.size(), start) << "every line ends in CR LF";
    return lines;
}
