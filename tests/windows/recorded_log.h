// A stand-in for the uninstall log that records the file lines it is given.
#pragma once

#include <string>
#include <vector>

const std::vector<std::string>& LoggedFiles();
void ResetLoggedFiles();
