#include "logged_files.h"

#include "file_facts.h"

std::vector<std::string> LoggedFiles(const std::string& installFolder)
{
    std::string text = ReadBytes(installFolder + "\\Uninstall.cfg");
    std::vector<std::string> files;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        if (text[start] == 'f')
            files.push_back(text.substr(start + 1, end - start - 1));
    return files;
}
