#pragma once

#include <string>
#include <vector>

typedef std::vector<unsigned char> Bytes;

bool ReadWholeFile(const std::string& path, Bytes* bytes);
bool WriteWholeFile(const std::string& path, const Bytes& bytes);
