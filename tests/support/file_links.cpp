#include "tests/support/file_links.h"

#include <winioctl.h>

#include <vector>

// Wine's own export: the Linux path of a Windows path, from the process heap.
static std::string LinuxPathOf(const std::string& path)
{
    typedef char*(CDECL * UnixFileNameFn)(const WCHAR*);
    UnixFileNameFn unixFileName =
        (UnixFileNameFn)(void*)GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name");
    WCHAR wide[MAX_PATH];
    if (!unixFileName || !MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH))
        return "";
    char* unix = unixFileName(wide);
    std::string result = unix ? unix : "";
    HeapFree(GetProcessHeap(), 0, unix);
    return result;
}

// Wine starts a Linux program named on drive Z: but gives no handle to wait on: so
// wait until the link stands, or is gone. It gives no process handle then, and leaves
// stack garbage for the thread's: closing that would close one of this process's own
// handles (a file being written, say).
static bool RunLinux(const std::string& program, const std::string& arguments, const std::string& linkPath,
                     bool linkWanted)
{
    std::string commandLine = program + " " + arguments;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(("Z:\\bin\\" + program).c_str(), &commandLine[0], 0, 0, FALSE, 0, 0, 0, &startup, &process))
        return false;
    if (process.hProcess) {
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    for (int waited = 0; waited < 10000; waited += 20) {
        if ((GetFileAttributesA(linkPath.c_str()) != INVALID_FILE_ATTRIBUTES) == linkWanted)
            return true;
        Sleep(20);
    }
    return false;
}

// A mount point's reparse data: the target as "\??\C:\..." and as printed.
static bool MakeJunction(const std::string& target, const std::string& linkPath, DWORD* error)
{
    if (!CreateDirectoryA(linkPath.c_str(), 0)) {
        *error = GetLastError();
        return false;
    }
    HANDLE folder = CreateFileA(linkPath.c_str(), GENERIC_WRITE, 0, 0, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, 0);
    std::wstring printed(target.begin(), target.end());
    std::wstring substitute = L"\\??\\" + printed;
    struct Header {
        DWORD tag;
        WORD dataLength, reserved, substituteOffset, substituteLength, printOffset, printLength;
    } header = {IO_REPARSE_TAG_MOUNT_POINT, 0, 0, 0, (WORD)(substitute.size() * 2),
                (WORD)(substitute.size() * 2 + 2), (WORD)(printed.size() * 2)};
    std::vector<char> data((char*)&header, (char*)(&header + 1));
    data.insert(data.end(), (const char*)substitute.c_str(), (const char*)(substitute.c_str() + substitute.size() + 1));
    data.insert(data.end(), (const char*)printed.c_str(), (const char*)(printed.c_str() + printed.size() + 1));
    ((Header*)data.data())->dataLength = (WORD)(data.size() - 8);
    DWORD returned = 0;
    bool made = folder != INVALID_HANDLE_VALUE &&
                DeviceIoControl(folder, FSCTL_SET_REPARSE_POINT, data.data(), (DWORD)data.size(), 0, 0, &returned, 0);
    *error = made ? 0 : GetLastError();
    if (folder != INVALID_HANDLE_VALUE) CloseHandle(folder);
    if (!made) RemoveDirectoryA(linkPath.c_str());
    return made;
}

FileLink::FileLink(Kind kind, const std::string& target, const std::string& linkPath)
    : kind_(kind), linkPath_(linkPath), made_(false), error_(0)
{
    if (kind == kJunction) {
        made_ = MakeJunction(target, linkPath, &error_);
        return;
    }
    std::string linuxTarget = LinuxPathOf(target);
    linuxLink_ = LinuxPathOf(linkPath);
    made_ = !linuxTarget.empty() && !linuxLink_.empty() &&
            RunLinux("ln", "-s \"" + linuxTarget + "\" \"" + linuxLink_ + "\"", linkPath, true);
    error_ = made_ ? 0 : ERROR_NOT_SUPPORTED;
}

FileLink::~FileLink()
{
    if (!made_)
        return;
    if (kind_ == kJunction)
        RemoveDirectoryA(linkPath_.c_str());
    else
        RunLinux("rm", "\"" + linuxLink_ + "\"", linkPath_, false);
}
