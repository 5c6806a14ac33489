// Reads a saved shortcut back through the shell's own link object.
#pragma once

#include <string>

struct ShellLinkContents {
    bool loaded;
    std::string target;
    std::string workingDirectory;
    std::string description;
    std::string arguments;
};

ShellLinkContents ReadShellLink(const std::string& linkPath);
