#pragma once

#include <vector>

typedef std::vector<unsigned char> Bytes;
