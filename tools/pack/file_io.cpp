#include "tools/pack/file_io.h"

#include <stdio.h>

bool ReadWholeFile(const std::string& path, Bytes* bytes)
{
    FILE* file = fopen(path.c_str(), "rb");
    if (!file)
        return false;
    bytes->clear();
    unsigned char chunk[65536];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes->insert(bytes->end(), chunk, chunk + got);
    bool ok = !ferror(file);
    fclose(file);
    return ok;
}

bool WriteWholeFile(const std::string& path, const Bytes& bytes)
{
    FILE* file = fopen(path.c_str(), "wb");
    if (!file)
        return false;
    bool ok = bytes.empty() || fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return fclose(file) == 0 && ok;
}
