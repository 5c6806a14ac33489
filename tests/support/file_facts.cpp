#include "tests/support/file_facts.h"

#include "platform/win32.h"

// The whole file into bytes; false when it cannot be opened. Setup holds a file it
// writes with the right to delete it, which a reader must share.
static bool ReadFileInto(const std::string& path, std::string* bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, 0,
                              OPEN_EXISTING, 0, 0);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    char chunk[65536];
    DWORD count;
    while (ReadFile(file, chunk, sizeof chunk, &count, 0) && count > 0)
        bytes->append(chunk, count);
    CloseHandle(file);
    return true;
}

std::string ReadBytes(const std::string& path)
{
    std::string bytes;
    return ReadFileInto(path, &bytes) ? bytes : "<missing>";
}

std::string ReadWholeFile(const std::string& path)
{
    std::string bytes;
    ReadFileInto(path, &bytes);
    return bytes;
}

void WriteBytes(const std::string& path, const std::string& bytes)
{
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, 0, CREATE_ALWAYS, 0, 0);
    DWORD count = 0;
    if (file != INVALID_HANDLE_VALUE) {
        WriteFile(file, bytes.data(), (DWORD)bytes.size(), &count, 0);
        CloseHandle(file);
    }
}

void WriteReadOnly(const std::string& path, const std::string& bytes)
{
    WriteBytes(path, bytes);
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
}

bool PathExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
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

unsigned long Attributes(const std::string& path)
{
    return GetFileAttributesA(path.c_str());
}

static uint64_t Combine(const FILETIME& time)
{
    return ((uint64_t)time.dwHighDateTime << 32) | time.dwLowDateTime;
}

FileTimes ReadTimes(const std::string& path)
{
    FileTimes times = {0, 0, 0};
    HANDLE file = CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, 0,
                              OPEN_EXISTING, 0, 0);
    if (file == INVALID_HANDLE_VALUE)
        return times;
    FILETIME creation, lastAccess, lastWrite;
    if (GetFileTime(file, &creation, &lastAccess, &lastWrite))
        times = {Combine(creation), Combine(lastAccess), Combine(lastWrite)};
    CloseHandle(file);
    return times;
}
