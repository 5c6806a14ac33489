// The payload archive's checksum, the setup program's resource Z/111: the CRC-32
// (zlib's) of every byte of the archive as packed, 4 bytes little-endian.
#pragma once

#include <stdint.h>

#include <string>

#include "tools/pack/bytes.h"

enum { kChecksumResourceSize = 4 };

uint32_t PayloadChecksum(const Bytes& archive);

// The resource's bytes for a checksum.
Bytes ChecksumResource(uint32_t checksum);

// "0x1A2B3C4D", as list and verify print a checksum.
std::string ChecksumText(uint32_t checksum);

// How a setup program's checksum resource stands to the archive it carries.
enum class ChecksumState { None, Malformed, Matches, DoesNotMatch, WithoutArchive };
struct ChecksumFinding {
    ChecksumState state = ChecksumState::None;
    uint32_t stored = 0, actual = 0;  // the resource's and the archive's
    size_t size = 0;                  // the resource's
};
ChecksumFinding CheckPayloadChecksum(bool hasChecksum, const Bytes& checksum, bool hasArchive, const Bytes& archive);
