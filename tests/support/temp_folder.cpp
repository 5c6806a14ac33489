#include "tests/support/temp_folder.h"

#include "platform/win32.h"

std::string MakeTempFolder(const char* tag)
{
    char base[MAX_PATH];
    GetTempPathA(sizeof base, base);
    static unsigned counter;
    char folder[MAX_PATH];
    wsprintfA(folder, "%sarbolix-%s-%lu-%u", base, tag, GetCurrentProcessId(), ++counter);
    RemoveTree(folder);
    CreateDirectoryA(folder, 0);
    return folder;
}

void RemoveTree(const std::string& folder)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string path = folder + "\\" + name;
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else
                DeleteFileA(path.c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}
