// FILETIME values as the packer reads and prints them: UTC calendar dates.
#pragma once

#include <stdint.h>

#include <string>

// "YYYY-MM-DD HH:MM:SS" in UTC, to the second; times before 1601 cannot occur.
std::string FormatFileTime(uint64_t fileTime);

// The times a manifest may give: 1601-01-01 to 9999-12-31 23:59:59 UTC, and raw
// FILETIME values up to the largest Windows converts to a date.
const int64_t kEarliestUnixSeconds = -11644473600LL;
const int64_t kLatestUnixSeconds = 253402300799LL;
const uint64_t kLatestRawFileTime = 0x7FFFFFFFFFFFFFFFULL;

// "0x" and 1 to maxDigits hexadecimal digits, as FILETIME values and the manifest's
// numbers are written; false for anything else.
bool ParseHexNumber(const std::string& text, size_t maxDigits, uint64_t* value);

// Decimal seconds since 1970, with an optional '-', inside the range above.
bool ParseUnixSeconds(const std::string& text, int64_t* seconds);

// Accepts "YYYY-MM-DDTHH:MM:SSZ" or "YYYY-MM-DD HH:MM:SS" (UTC, years 1601 to 9999),
// "@UNIXSECONDS" in the range above, or a raw FILETIME as "0x" and 1 to 16
// hexadecimal digits up to kLatestRawFileTime. Nothing else.
bool ParseFileTime(const std::string& text, uint64_t* fileTime);
