// arbolix-inspect: runs a setup program and reports what it left on this machine:
// which build ran, its exit code, the installed files, the uninstall log, the
// registry values in the view the program writes, and the shortcuts. Used by
// scripts/demo.
#include <stdio.h>
#include <string.h>

#include <string>

#include "common/product.h"
#include "platform/win32.h"

static const char* ExitCodeMeaning(DWORD code)
{
    switch (code) {
    case 0: return "ERROR_SUCCESS: installed with its uninstall log";
    case 1223: return "ERROR_CANCELLED: cancelled, or a missing folder was not created";
    case 123: return "ERROR_INVALID_NAME: the uninstall log could not be created";
    case 5: return "ERROR_ACCESS_DENIED: a file could not be written for lack of permission";
    case 32: return "ERROR_SHARING_VIOLATION: a file could not be written because it is in use";
    case 29: return "ERROR_WRITE_FAULT: a file could not be written";
    }
    return "not one of the setup program's codes";
}

// The registry view a program writes: a 32-bit program's HKLM\Software is the 32-bit
// view (Software\Wow6432Node) of a 64-bit Windows.
static REGSAM g_view = KEY_WOW64_64KEY;

// The machine field of the program's PE header: 0x14C for i686, 0x8664 for x86_64.
static WORD ProgramMachine(const char* path)
{
    WORD machine = 0;
    FILE* file = fopen(path, "rb");
    if (!file)
        return 0;
    unsigned char dos[64];
    DWORD peOffset = 0;
    unsigned char header[6];
    if (fread(dos, 1, sizeof dos, file) == sizeof dos && dos[0] == 'M' && dos[1] == 'Z') {
        peOffset = dos[60] | dos[61] << 8 | dos[62] << 16 | (DWORD)dos[63] << 24;
        if (fseek(file, (long)peOffset, SEEK_SET) == 0 && fread(header, 1, sizeof header, file) == sizeof header &&
            !memcmp(header, "PE\0\0", 4))
            machine = (WORD)(header[4] | header[5] << 8);
    }
    fclose(file);
    return machine;
}

static void PrintBuild(const char* path)
{
    char system[MAX_PATH] = "", redirected[MAX_PATH] = "";
    GetSystemDirectoryA(system, sizeof system);
    if (ProgramMachine(path) == IMAGE_FILE_MACHINE_I386) {
        g_view = KEY_WOW64_32KEY;
        GetSystemWow64DirectoryA(redirected, sizeof redirected);
        printf("Build: 32-bit (i686), the shipping program\n"
               "  registry view: 32-bit (HKLM\\Software is Software\\Wow6432Node of the 64-bit view)\n"
               "  system directory: %s as the program sees it; what it writes there lands in %s\n\n",
               system, redirected[0] ? redirected : system);
    } else {
        printf("Build: 64-bit (x86_64)\n  registry view: 64-bit\n  system directory: %s\n\n", system);
    }
}

static DWORD RunSetup(int argc, char** argv)
{
    std::string commandLine = "\"" + std::string(argv[1]) + "\"";
    for (int i = 2; i < argc; ++i)
        commandLine += std::string(" ") + argv[i];
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    if (!CreateProcessA(argv[1], &commandLine[0], 0, 0, FALSE, 0, 0, 0, &startup, &process)) {
        printf("cannot start %s (error %lu)\n", argv[1], GetLastError());
        return (DWORD)-1;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

static std::string FormatTime(const FILETIME& time)
{
    SYSTEMTIME utc;
    FileTimeToSystemTime(&time, &utc);
    char text[32];
    snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", utc.wYear, utc.wMonth, utc.wDay,
             utc.wHour, utc.wMinute, utc.wSecond);
    return text;
}

static std::string AttributeLetters(DWORD attributes)
{
    std::string letters;
    letters += attributes & FILE_ATTRIBUTE_READONLY ? 'R' : '-';
    letters += attributes & FILE_ATTRIBUTE_HIDDEN ? 'H' : '-';
    letters += attributes & FILE_ATTRIBUTE_SYSTEM ? 'S' : '-';
    letters += attributes & FILE_ATTRIBUTE_ARCHIVE ? 'A' : '-';
    return letters;
}

static void ListFiles(const std::string& folder, const std::string& prefix)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        std::string name = found.cFileName;
        if (name == "." || name == "..")
            continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            ListFiles(folder + "\\" + name, prefix + name + "\\");
            continue;
        }
        printf("  %9lu  %s  %s  %s  %s  %s%s\n", found.nFileSizeLow,
               AttributeLetters(found.dwFileAttributes).c_str(), FormatTime(found.ftCreationTime).c_str(),
               FormatTime(found.ftLastAccessTime).c_str(), FormatTime(found.ftLastWriteTime).c_str(),
               prefix.c_str(), name.c_str());
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

static void PrintValues(HKEY hive, const char* hiveName, const char* key)
{
    HKEY handle;
    if (RegOpenKeyExA(hive, key, 0, KEY_READ | g_view, &handle) != ERROR_SUCCESS) {
        printf("  %s\\%s: (no key)\n", hiveName, key);
        return;
    }
    printf("  %s\\%s\n", hiveName, key);
    for (DWORD index = 0;; ++index) {
        char name[256];
        unsigned char data[2048];
        DWORD nameSize = sizeof name, dataSize = sizeof data - 1, type = 0;
        if (RegEnumValueA(handle, index, name, &nameSize, 0, &type, data, &dataSize) != ERROR_SUCCESS)
            break;
        data[dataSize] = 0;
        if (type == REG_DWORD)
            printf("    %-26s REG_DWORD  %lu\n", nameSize ? name : "(default)", *(DWORD*)data);
        else
            printf("    %-26s REG_SZ     %s  (%lu bytes)\n", nameSize ? name : "(default)", (char*)data, dataSize);
    }
    RegCloseKey(handle);
}

static void PrintShortcut(int csidl, const char* place)
{
    char folder[MAX_PATH] = "";
    SHGetFolderPathA(0, csidl, 0, 0, folder);
    std::string link = std::string(folder) + "\\" + kLinkName;
    if (GetFileAttributesA(link.c_str()) == INVALID_FILE_ATTRIBUTES)
        return;
    IShellLinkA* shellLink = 0;
    IPersistFile* persist = 0;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, 0, CLSCTX_INPROC_SERVER, IID_IShellLinkA, (void**)&shellLink)))
        return;
    wchar_t wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, link.c_str(), -1, wide, MAX_PATH);
    char target[MAX_PATH] = "", directory[MAX_PATH] = "", description[MAX_PATH] = "";
    if (SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, (void**)&persist))) {
        if (SUCCEEDED(persist->Load(wide, STGM_READ))) {
            shellLink->GetPath(target, sizeof target, 0, 0);
            shellLink->GetWorkingDirectory(directory, sizeof directory);
            shellLink->GetDescription(description, sizeof description);
        }
        persist->Release();
    }
    shellLink->Release();
    printf("  %s: %s\n    target %s\n    working directory %s\n    description \"%s\"\n", place,
           link.c_str(), target, directory, description);
}

int main(int argc, char** argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: arbolix-inspect SETUP.EXE [OPTIONS...]\n");
        return 2;
    }
    CoInitialize(0);
    PrintBuild(argv[1]);
    DWORD code = RunSetup(argc, argv);
    printf("Exit code: %lu (%s)\n\n", code, ExitCodeMeaning(code));

    char folder[MAX_PATH] = "";
    HKEY product;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, ProductKey, 0, KEY_READ | g_view, &product) == ERROR_SUCCESS) {
        DWORD size = sizeof folder - 1;
        if (RegQueryValueExA(product, kBetaFolderValue, 0, 0, (BYTE*)folder, &size) != ERROR_SUCCESS)
            folder[0] = 0;
        RegCloseKey(product);
    }
    printf("Installed files in %s\n       size  attr  created              accessed             written              name\n",
           folder[0] ? folder : "(no folder stored)");
    if (folder[0])
        ListFiles(folder, "");

    printf("\n%s\n", kUninstallLogName);
    FILE* log = folder[0] ? fopen((std::string(folder) + "\\" + kUninstallLogName).c_str(), "rb") : 0;
    if (log) {
        char line[1024];
        while (fgets(line, sizeof line, log))
            printf("  %s", line);
        fclose(log);
    } else {
        printf("  (none)\n");
    }

    printf("\nRegistry\n");
    PrintValues(HKEY_LOCAL_MACHINE, "HKLM", ProductKey);
    PrintValues(HKEY_CURRENT_USER, "HKCU", SettingsKey);
    PrintValues(HKEY_LOCAL_MACHINE, "HKLM", UninstallKey);
    PrintValues(HKEY_LOCAL_MACHINE, "HKLM", DocumentExtensionKey);

    printf("\nShortcuts\n");
    PrintShortcut(CSIDL_COMMON_PROGRAMS, "Start menu (all users)");
    PrintShortcut(CSIDL_PROGRAMS, "Start menu (this user)");
    PrintShortcut(CSIDL_COMMON_DESKTOPDIRECTORY, "Desktop (all users)");
    PrintShortcut(CSIDL_DESKTOPDIRECTORY, "Desktop (this user)");
    CoUninitialize();
    return 0;
}
