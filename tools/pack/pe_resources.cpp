#include "tools/pack/pe_resources.h"

#include <vector>

#include "payload/little_endian.h"

static bool Read16(const Bytes& bytes, size_t offset, uint16_t* value)
{
    if (offset > bytes.size() || bytes.size() - offset < 2)
        return false;
    *value = (uint16_t)(bytes[offset] | bytes[offset + 1] << 8);
    return true;
}

static bool Read32(const Bytes& bytes, size_t offset, uint32_t* value)
{
    if (offset > bytes.size() || bytes.size() - offset < 4)
        return false;
    *value = ReadWord32(bytes.data() + offset);
    return true;
}

bool IsPeImage(const Bytes& image)
{
    uint32_t peOffset, signature;
    return image.size() >= 64 && image[0] == 'M' && image[1] == 'Z' && Read32(image, 0x3C, &peOffset)
           && Read32(image, peOffset, &signature) && signature == 0x00004550;
}

struct Section {
    uint32_t virtualAddress, virtualSize, rawOffset, rawSize;
};

static bool RvaToOffset(const std::vector<Section>& sections, uint32_t rva, uint32_t length, size_t* offset)
{
    for (const Section& section : sections) {
        uint32_t extent = section.virtualSize > section.rawSize ? section.rawSize : section.virtualSize;
        if (!extent) extent = section.rawSize;
        if (rva >= section.virtualAddress && rva - section.virtualAddress <= extent
            && length <= extent - (rva - section.virtualAddress)) {
            *offset = (size_t)section.rawOffset + (rva - section.virtualAddress);
            return true;
        }
    }
    return false;
}

// The entry of a resource directory (at offset dir in the resource section) that
// matches the string name, or the numeric id when name is empty, or simply the first.
enum class Match { Name, Id, First };

static int FindDirectoryEntry(const Bytes& image, size_t base, size_t sectionSize, uint32_t dir,
                              Match match, const std::string& name, uint16_t id, uint32_t* target)
{
    uint16_t named, numbered;
    if (dir > sectionSize || !Read16(image, base + dir + 12, &named) || !Read16(image, base + dir + 14, &numbered))
        return -1;
    uint32_t count = (uint32_t)named + numbered;
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t nameWord, offsetWord;
        size_t at = base + dir + 16 + (size_t)i * 8;
        if (!Read32(image, at, &nameWord) || !Read32(image, at + 4, &offsetWord))
            return -1;
        bool matches = match == Match::First;
        if (match == Match::Id)
            matches = !(nameWord & 0x80000000u) && nameWord == id;
        if (match == Match::Name && (nameWord & 0x80000000u)) {
            size_t text = base + (nameWord & 0x7FFFFFFFu);
            uint16_t length;
            if (!Read16(image, text, &length))
                return -1;
            matches = length == name.size();
            for (uint16_t c = 0; matches && c < length; ++c) {
                uint16_t unit;
                if (!Read16(image, text + 2 + 2 * (size_t)c, &unit))
                    return -1;
                matches = unit == (unsigned char)name[c];
            }
        }
        if (matches) {
            *target = offsetWord;
            return 1;
        }
    }
    return 0;
}

int FindPeResource(const Bytes& image, const std::string& type, uint16_t id, Bytes* resource,
                   std::string* error)
{
    *error = "not a Windows executable";
    if (!IsPeImage(image))
        return -1;
    *error = "the PE headers are malformed";
    uint32_t peOffset = 0;
    uint16_t sectionCount, optionalSize, magic;
    Read32(image, 0x3C, &peOffset);
    size_t coff = (size_t)peOffset + 4;
    if (!Read16(image, coff + 2, &sectionCount) || !Read16(image, coff + 16, &optionalSize))
        return -1;
    size_t optional = coff + 20;
    if (!Read16(image, optional, &magic) || (magic != 0x10B && magic != 0x20B))
        return -1;
    size_t directories = optional + (magic == 0x10B ? 96 : 112);
    uint32_t directoryCount;
    if (!Read32(image, directories - 4, &directoryCount))
        return -1;
    uint32_t resourceRva = 0, resourceSize = 0;
    if (directoryCount > 2 && (directories + 24 > optional + optionalSize
                               || !Read32(image, directories + 16, &resourceRva)
                               || !Read32(image, directories + 20, &resourceSize)))
        return -1;
    if (!resourceRva || !resourceSize)
        return 0;

    std::vector<Section> sections;
    size_t table = optional + optionalSize;
    for (uint16_t i = 0; i < sectionCount; ++i) {
        Section section;
        size_t at = table + (size_t)i * 40;
        if (!Read32(image, at + 8, &section.virtualSize) || !Read32(image, at + 12, &section.virtualAddress)
            || !Read32(image, at + 16, &section.rawSize) || !Read32(image, at + 20, &section.rawOffset))
            return -1;
        sections.push_back(section);
    }
    size_t base;
    if (!RvaToOffset(sections, resourceRva, resourceSize, &base) || base + resourceSize > image.size())
        return -1;

    *error = "the resource directory is malformed";
    uint32_t level;
    int found = FindDirectoryEntry(image, base, resourceSize, 0, Match::Name, type, 0, &level);
    if (found <= 0)
        return found;
    if (!(level & 0x80000000u))
        return -1;
    found = FindDirectoryEntry(image, base, resourceSize, level & 0x7FFFFFFFu, Match::Id, "", id, &level);
    if (found <= 0)
        return found;
    if (!(level & 0x80000000u))
        return -1;
    found = FindDirectoryEntry(image, base, resourceSize, level & 0x7FFFFFFFu, Match::First, "", 0, &level);
    if (found <= 0 || (level & 0x80000000u))
        return found < 0 || found == 1 ? -1 : 0;

    uint32_t dataRva, dataSize;
    if (level > resourceSize || !Read32(image, base + level, &dataRva) || !Read32(image, base + level + 4, &dataSize))
        return -1;
    size_t data;
    if (!RvaToOffset(sections, dataRva, dataSize, &data) || data + dataSize > image.size())
        return -1;
    resource->assign(image.begin() + data, image.begin() + data + dataSize);
    error->clear();
    return 1;
}
