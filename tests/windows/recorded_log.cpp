#include "recorded_log.h"

#include "uninstall/uninstall_log.h"

static std::vector<std::string> g_loggedFiles;

void LogInstalledFile(const char* path)
{
    g_loggedFiles.push_back(path);
}

const std::vector<std::string>& LoggedFiles()
{
    return g_loggedFiles;
}

void ResetLoggedFiles()
{
    g_loggedFiles.clear();
}
