// A fresh folder under the Windows temporary folder, removed with its contents.
#pragma once

#include <string>

std::string MakeTempFolder(const char* tag);
void RemoveTree(const std::string& folder);
