// FILETIME values as the packer reads and prints them: UTC calendar dates.
#pragma once

#include <stdint.h>

#include <string>

// "YYYY-MM-DD HH:MM:SS" in UTC, to the second; times before 1601 cannot occur.
std::string FormatFileTime(uint64_t fileTime);

// Accepts "YYYY-MM-DDTHH:MM:SSZ" (or with a space for T and no Z), "@UNIXSECONDS",
// or a raw FILETIME as "0x" and hexadecimal digits.
bool ParseFileTime(const std::string& text, uint64_t* fileTime);
