#include "tools/pack/payload_checksum.h"

#include <stdio.h>
#include <zlib.h>

#include "payload/little_endian.h"

uint32_t PayloadChecksum(const Bytes& archive)
{
    // zlib takes the length as an unsigned int: an archive of up to 4 GiB goes in pieces.
    const size_t kPiece = 1u << 30;
    uLong crc = crc32(0, Z_NULL, 0);
    for (size_t at = 0; at < archive.size(); at += kPiece) {
        size_t length = archive.size() - at < kPiece ? archive.size() - at : kPiece;
        crc = crc32(crc, archive.data() + at, (uInt)length);
    }
    return (uint32_t)crc;
}

Bytes ChecksumResource(uint32_t checksum)
{
    Bytes resource(kChecksumResourceSize);
    WriteWord32(resource.data(), checksum);
    return resource;
}

ChecksumFinding CheckPayloadChecksum(bool hasChecksum, const Bytes& checksum, bool hasArchive, const Bytes& archive)
{
    ChecksumFinding finding;
    finding.size = checksum.size();
    if (!hasChecksum)
        return finding;
    finding.state = ChecksumState::Malformed;
    if (checksum.size() != kChecksumResourceSize)
        return finding;
    finding.stored = ReadWord32(checksum.data());
    finding.state = ChecksumState::WithoutArchive;
    if (!hasArchive)
        return finding;
    finding.actual = PayloadChecksum(archive);
    finding.state = finding.stored == finding.actual ? ChecksumState::Matches : ChecksumState::DoesNotMatch;
    return finding;
}

std::string ChecksumText(uint32_t checksum)
{
    char text[16];
    snprintf(text, sizeof text, "0x%08X", checksum);
    return text;
}
