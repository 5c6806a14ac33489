// Points the four shell folders that receive shortcuts at folders a test chooses, the
// way Windows keeps them ("User Shell Folders"), and puts the real ones back after.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "tests/support/registry_values.h"

enum ShellFolderPlace { kCommonPrograms, kCommonDesktop, kPersonalPrograms, kPersonalDesktop };

class RedirectedShellFolders {
public:
    RedirectedShellFolders();
    // The folder need not exist: then the shell's lookup of it fails.
    void Redirect(ShellFolderPlace place, const std::string& folder);

private:
    std::vector<std::unique_ptr<SavedValue>> saved_;
};
