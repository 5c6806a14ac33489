// Deflate streams made for tests, with each wrapper zlib knows.
#pragma once

#include <string>
#include <vector>

typedef std::vector<unsigned char> Bytes;

enum class Wrapper { Zlib, Gzip, Raw };

Bytes Compress(const Bytes& data, Wrapper wrapper);
Bytes ToBytes(const std::string& text);
Bytes PatternBytes(size_t size);  // compressible, not constant
Bytes ReadFileBytes(const char* path);
