// The file lines of the uninstall log in a folder, without their tag.
#pragma once

#include <string>
#include <vector>

std::vector<std::string> LoggedFiles(const std::string& installFolder);
