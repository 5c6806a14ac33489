// How large a payload archive the setup program of each architecture can carry.
#pragma once

#include <stdint.h>

#include <string>

// The setup program an archive is for: the shipping 32-bit one, or the 64-bit one.
enum class TargetArch { X86, X64 };

// "x86" or "x64"; false for anything else.
bool ParseTargetArch(const std::string& text, TargetArch* arch);

// The 32-bit program, with its payload in its resources, must fit in a 32-bit
// process's address space; the 64-bit one holds what the format does, whose sizes
// (the archive's and the resource's) are 32-bit.
const uint64_t kLargestX86Archive = 1ull << 30;
const uint64_t kLargestX64Archive = 0xFFFFFFFFull;

// "" when an archive of size bytes fits the setup program of arch; otherwise the
// limit and why, as a clause ("a 32-bit setup program holds at most 1 GiB, ...").
std::string ArchiveSizeProblem(uint64_t size, TargetArch arch);

// "1.2 GiB (1288490188 bytes)".
std::string ArchiveSizeText(uint64_t size);
