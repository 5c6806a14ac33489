#include "tools/pack/archive_limits.h"

#include <stdio.h>

bool ParseTargetArch(const std::string& text, TargetArch* arch)
{
    if (text == "x86") *arch = TargetArch::X86;
    else if (text == "x64") *arch = TargetArch::X64;
    else return false;
    return true;
}

std::string ArchiveSizeProblem(uint64_t size, TargetArch arch)
{
    if (arch == TargetArch::X86 && size > kLargestX86Archive)
        return "a 32-bit setup program holds at most 1 GiB, since the whole program must fit in a 32-bit "
               "process's address space (build the x64 program for more)";
    if (size > kLargestX64Archive)
        return "the archive format holds at most 4294967295 bytes (4 GiB less one byte), since its sizes and "
               "the resource's are 32-bit";
    return "";
}

std::string ArchiveSizeText(uint64_t size)
{
    char text[64];
    snprintf(text, sizeof text, "%.1f GiB (%llu bytes)", size / 1073741824.0, (unsigned long long)size);
    return text;
}
