// What the tests read back from the disk: bytes, attributes and times of files.
#pragma once

#include <stdint.h>

#include <string>

std::string ReadBytes(const std::string& path);      // "<missing>" when it cannot be opened
std::string ReadWholeFile(const std::string& path);  // "" when it cannot be opened
void WriteBytes(const std::string& path, const std::string& bytes);
void WriteReadOnly(const std::string& path, const std::string& bytes);
bool PathExists(const std::string& path);    // a file or a folder
bool FileExists(const std::string& path);    // a file, not a folder
bool FolderExists(const std::string& path);
unsigned long Attributes(const std::string& path);  // INVALID_FILE_ATTRIBUTES when missing

struct FileTimes {
    uint64_t creation;
    uint64_t lastAccess;
    uint64_t lastWrite;
};
FileTimes ReadTimes(const std::string& path);
