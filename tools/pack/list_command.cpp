// arbolix-pack list ARCHIVE | SETUP.exe
// Prints the archive's directory the way archivers list their contents.
#include <stdio.h>

#include <algorithm>
#include <string>
#include <vector>

#include "payload/archive_format.h"
#include "payload/archive_reader.h"
#include "payload/little_endian.h"
#include "tools/pack/archive_check.h"
#include "tools/pack/archive_input.h"
#include "tools/pack/commands.h"
#include "tools/pack/file_times.h"
#include "tools/pack/help.h"
#include "tools/pack/payload_checksum.h"

static std::string FlagNames(uint32_t flags)
{
    std::string names;
    const struct { uint32_t mask; const char* name; } known[] = {
        {kLogForUninstall, "LogForUninstall"},
        {kInSystemDirectory, "InSystemDirectory"},
        {kVersionGated, "VersionGated"},
    };
    for (const auto& flag : known) {
        if (flags & flag.mask) {
            names += names.empty() ? "" : ",";
            names += flag.name;
            flags &= ~flag.mask;
        }
    }
    if (flags) {
        char other[16];
        snprintf(other, sizeof other, "0x%X", flags);
        names += names.empty() ? "" : ",";
        names += other;
    }
    return names;
}

// How a piece is kept, from its sizes and the first bytes of a stream.
static const char* StorageName(const unsigned char* data, uint32_t storedSize, uint32_t size)
{
    if (storedSize == size)
        return "stored";
    if (storedSize >= 2 && data[0] == 0x1F && data[1] == 0x8B)
        return "gzip";
    if (storedSize >= 2 && (data[0] & 0x0F) == 8 && ((data[0] << 8) | data[1]) % 31 == 0)
        return "zlib";
    return "?";
}

static uint64_t Time(const ArchiveTime& time)
{
    return (uint64_t)time.high << 32 | time.low;
}

static std::string VersionText(const DirectoryEntry& entry)
{
    if (!(entry.flags & kVersionGated))
        return "-";
    char text[48];
    snprintf(text, sizeof text, "%u.%u.%u.%u", entry.minimumVersionMS >> 16, entry.minimumVersionMS & 0xFFFF,
             entry.minimumVersionLS >> 16, entry.minimumVersionLS & 0xFFFF);
    return text;
}

static void PrintLicense(const Bytes& license)
{
    if (license.size() < 4) {
        printf("License text: resource Z/107, malformed (%zu bytes)\n", license.size());
        return;
    }
    int32_t length = (int32_t)ReadWord32(license.data());
    if (length <= 0) {
        printf("License text: resource Z/107, %lld bytes, stored\n", -(long long)length);
    } else if (license.size() >= 8) {
        uint32_t streamLength = ReadWord32(license.data() + 4);
        const char* wrapper = license.size() >= 10 && license[8] == 0x1F && license[9] == 0x8B ? "gzip" : "zlib";
        printf("License text: resource Z/107, %d bytes, deflated (%s) to %u\n", length, wrapper, streamLength);
    }
}

static void PrintChecksum(const ArchiveInput& input)
{
    ChecksumFinding found = CheckPayloadChecksum(input.hasChecksum, input.checksum, input.hasArchive, input.archive);
    std::string stored = "resource Z/111, CRC-32 " + ChecksumText(found.stored);
    switch (found.state) {
    case ChecksumState::None:
        printf("Payload checksum: none (no resource Z/111)\n");
        break;
    case ChecksumState::Malformed:
        printf("Payload checksum: resource Z/111, malformed (%zu bytes, not %d)\n", found.size, kChecksumResourceSize);
        break;
    case ChecksumState::Matches:
        printf("Payload checksum: %s, matches the archive\n", stored.c_str());
        break;
    case ChecksumState::DoesNotMatch:
        printf("Payload checksum: %s, does not match the archive (its CRC-32 is %s)\n", stored.c_str(),
               ChecksumText(found.actual).c_str());
        break;
    case ChecksumState::WithoutArchive:
        printf("Payload checksum: %s, without an archive\n", stored.c_str());
        break;
    }
}

int RunListCommand(int argc, char** argv)
{
    if (argc != 1)
        return UsageError("list", argc ? "one file at a time" : "an archive or a setup program is needed");
    std::string path = argv[0];
    ArchiveInput input;
    std::string error;
    if (!LoadArchiveInput(path, &input, &error)) {
        fprintf(stderr, "arbolix-pack list: %s\n", error.c_str());
        return 1;
    }
    if (input.fromSetupProgram) {
        printf("Setup program: %s\n", path.c_str());
        if (input.hasLicense) PrintLicense(input.license);
        else printf("License text: none (no resource Z/107)\n");
        if (input.hasArchive)
            printf("Archive: resource Z/110, %zu bytes\n", input.archive.size());
        else
            printf("Archive: none (no resource Z/110)\n");
        PrintChecksum(input);
        if (!input.hasArchive)
            return 0;
    } else {
        printf("Archive: %s, %zu bytes\n", path.c_str(), input.archive.size());
    }

    ArchiveReader reader;
    if (!OpenArchiveBytes(&reader, input.archive.data(), input.archive.size())) {
        std::string fault = FindArchiveFault(input.archive);
        fprintf(stderr, "arbolix-pack list: %s: %s\n", path.c_str(),
                fault.empty() ? "the archive is malformed" : fault.c_str());
        return 1;
    }
    uint32_t directoryStored = ReadWord32(input.archive.data());
    const char* storage = StorageName(input.archive.data() + 8, directoryStored, reader.directorySize);
    if (directoryStored == reader.directorySize)
        printf("Directory: %u bytes, stored\n\n", reader.directorySize);
    else
        printf("Directory: %u bytes, deflated (%s) to %u\n\n", reader.directorySize, storage, directoryStored);

    std::vector<DirectoryEntry> entries;
    DirectoryEntry entry;
    size_t flagsWidth = 5;
    while (NextArchiveEntry(&reader, &entry)) {
        entries.push_back(entry);
        flagsWidth = std::max(flagsWidth, FlagNames(entry.flags).size());
    }
    int width = (int)flagsWidth;
    std::string rule(flagsWidth, '-');
    printf("%-*s  Attrib      %10s  %10s  Method  %-19s  %-19s  %-19s  %-15s  Name\n", width, "Flags",
           "Size", "Stored", "Created", "Last access", "Last write", "Min version");
    printf("%s  ----------  ----------  ----------  ------  -------------------  -------------------  "
           "-------------------  ---------------  ----\n", rule.c_str());
    uint64_t totalSize = 0, totalStored = 0;
    for (const DirectoryEntry& e : entries) {
        printf("%-*s  0x%08X  %10u  %10u  %-6s  %s  %s  %s  %-15s  %s\n", width, FlagNames(e.flags).c_str(),
               e.sourceAttributes, e.size, e.storedSize, StorageName(e.data, e.storedSize, e.size),
               FormatFileTime(Time(e.creationTime)).c_str(), FormatFileTime(Time(e.lastAccessTime)).c_str(),
               FormatFileTime(Time(e.lastWriteTime)).c_str(), VersionText(e).c_str(), e.name);
        totalSize += e.size;
        totalStored += e.storedSize;
    }
    printf("%s  ----------  ----------  ----------\n", rule.c_str());
    printf("%-*s  %10s  %10llu  %10llu  %zu %s\n", width, "", "", (unsigned long long)totalSize,
           (unsigned long long)totalStored, entries.size(), entries.size() == 1 ? "entry" : "entries");
    CloseArchive(&reader);
    return 0;
}
