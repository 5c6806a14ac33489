#include "tests/support/machine_state.h"

#include <gtest/gtest.h>
#include <tlhelp32.h>

#include "tests/support/file_facts.h"
#include "tests/support/registry_values.h"
#include "tests/support/registry_view.h"
#include "tests/support/temp_folder.h"

const std::string kDefaultFolder = std::string(kProgramFilesFolder) + "\\Arbolix Beta";

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

void ClearSetupTraces(const std::vector<std::string>& folders)
{
    DeleteKeyTree(HKEY_LOCAL_MACHINE, kCompanyKey);
    DeleteKeyTree(HKEY_CURRENT_USER, kCompanyKey);
    DeleteKeyTree(HKEY_LOCAL_MACHINE, kUninstallKey);
    DeleteKeyTree(HKEY_LOCAL_MACHINE, kExtensionKey);
    for (int csidl : {CSIDL_COMMON_PROGRAMS, CSIDL_PROGRAMS, CSIDL_COMMON_DESKTOPDIRECTORY, CSIDL_DESKTOPDIRECTORY}) {
        std::string link = ShellFolder(csidl) + "\\Arbolix Beta.lnk";
        SetFileAttributesA(link.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(link.c_str());
        RemoveDirectoryA(link.c_str());  // where a test blocked the shortcut
    }
    for (const std::string& folder : folders)
        RemoveTree(folder);
}

// The text's lines ended by CR LF; *end is where the last of them ends.
static std::vector<std::string> CrLfLines(const std::string& text, size_t* end)
{
    std::vector<std::string> lines;
    size_t start = 0, lineEnd;
    while ((lineEnd = text.find("\r\n", start)) != std::string::npos) {
        lines.push_back(text.substr(start, lineEnd - start));
        start = lineEnd + 2;
    }
    *end = start;
    return lines;
}

std::vector<std::string> LogLines(const std::string& folder)
{
    std::string log = ReadWholeFile(folder + "\\Uninstall.cfg");
    size_t end;
    std::vector<std::string> lines = CrLfLines(log, &end);
    EXPECT_EQ(log.size(), end) << "every line ends in CR LF";
    return lines;
}

std::vector<std::string> LoggedFiles(const std::string& folder)
{
    size_t end;
    std::vector<std::string> files;
    for (const std::string& line : CrLfLines(ReadWholeFile(folder + "\\Uninstall.cfg"), &end))
        if (line[0] == 'f')
            files.push_back(line.substr(1));
    return files;
}

std::set<std::string> TemporaryCopies()
{
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    std::set<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((std::string(temp) + "Arb*.tmp").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.insert(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}
