// What the setup program leaves on the machine, read back and cleared between tests.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "platform/win32.h"

// Ends the stand-in application, which stays open when started without "/install".
void EndStrayApplications();

// Removes every key the setup program writes and every shortcut it makes, and the
// folders given, so that each test starts from a clean machine.
void ClearSetupTraces(const std::vector<std::string>& folders);

// Where a setup program of this tree proposes to install by default.
extern const std::string kDefaultFolder;

// The lines of the folder's "Uninstall.cfg", each without its CR LF; a test failure
// when the last line has none.
std::vector<std::string> LogLines(const std::string& folder);
// The paths of its file lines, shortcuts included.
std::vector<std::string> LoggedFiles(const std::string& folder);

// The shell folder's path for a CSIDL value.
std::string ShellFolder(int csidl);

// The names of the uninstaller's temporary copies in the Windows temporary folder
// (GetTempFileName names with its prefix): each vanishes when its copy ends.
std::set<std::string> TemporaryCopies();

// Whether the condition came true within the time, tried every 20 ms.
template <typename Condition>
bool PollFor(Condition condition, int timeoutMs = 10000)
{
    for (int waited = 0;; waited += 20) {
        if (condition())
            return true;
        if (waited >= timeoutMs)
            return false;
        Sleep(20);
    }
}
