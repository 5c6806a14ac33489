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

// The resource section of an image: where it starts in the file, and its size.
struct ResourceSection {
    const Bytes& image;
    size_t base;
    size_t size;
};

// What a directory entry is looked up by: the string name, the numeric id, or none
// (the first entry).
enum class Match { Name, Id, First };
struct EntryKey {
    Match match;
    std::string name;
    uint16_t id;
};

static bool NameMatches(const ResourceSection& section, uint32_t nameWord, const std::string& name, bool* matches)
{
    size_t text = section.base + (nameWord & 0x7FFFFFFFu);
    uint16_t length;
    if (!Read16(section.image, text, &length))
        return false;
    *matches = length == name.size();
    for (uint16_t c = 0; *matches && c < length; ++c) {
        uint16_t unit;
        if (!Read16(section.image, text + 2 + 2 * (size_t)c, &unit))
            return false;
        *matches = unit == (unsigned char)name[c];
    }
    return true;
}

// The entry of the directory at offset dir of the resource section that matches the
// key: 1 and its offset word in *target, 0 when there is none, -1 when malformed.
static int FindDirectoryEntry(const ResourceSection& section, uint32_t dir, const EntryKey& key, uint32_t* target)
{
    const Bytes& image = section.image;
    uint16_t named, numbered;
    if (dir > section.size || !Read16(image, section.base + dir + 12, &named) ||
        !Read16(image, section.base + dir + 14, &numbered))
        return -1;
    uint32_t count = (uint32_t)named + numbered;
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t nameWord, offsetWord;
        size_t at = section.base + dir + 16 + (size_t)i * 8;
        if (!Read32(image, at, &nameWord) || !Read32(image, at + 4, &offsetWord))
            return -1;
        bool matches = key.match == Match::First;
        if (key.match == Match::Id)
            matches = !(nameWord & 0x80000000u) && nameWord == key.id;
        if (key.match == Match::Name && (nameWord & 0x80000000u) && !NameMatches(section, nameWord, key.name, &matches))
            return -1;
        if (matches) {
            *target = offsetWord;
            return 1;
        }
    }
    return 0;
}

// Where the headers of an image are, after checking they lie inside it.
struct PeLayout {
    size_t coff, optional, directories, sectionTable;
    uint16_t sectionCount;
    uint32_t directoryCount;
    std::vector<Section> sections;
};

static bool ReadPeLayout(const Bytes& image, PeLayout* layout)
{
    uint32_t peOffset = 0;
    uint16_t optionalSize, magic;
    Read32(image, 0x3C, &peOffset);
    layout->coff = (size_t)peOffset + 4;
    if (!Read16(image, layout->coff + 2, &layout->sectionCount) || !Read16(image, layout->coff + 16, &optionalSize))
        return false;
    layout->optional = layout->coff + 20;
    if (!Read16(image, layout->optional, &magic) || (magic != 0x10B && magic != 0x20B))
        return false;
    layout->directories = layout->optional + (magic == 0x10B ? 96 : 112);
    if (!Read32(image, layout->directories - 4, &layout->directoryCount))
        return false;
    size_t optionalEnd = layout->optional + optionalSize;
    uint32_t fitting = optionalEnd > layout->directories ? (uint32_t)((optionalEnd - layout->directories) / 8) : 0;
    if (layout->directoryCount > fitting)
        layout->directoryCount = fitting;
    layout->sectionTable = layout->optional + optionalSize;
    layout->sections.clear();
    for (uint16_t i = 0; i < layout->sectionCount; ++i) {
        Section section;
        size_t at = layout->sectionTable + (size_t)i * 40;
        if (!Read32(image, at + 8, &section.virtualSize) || !Read32(image, at + 12, &section.virtualAddress)
            || !Read32(image, at + 16, &section.rawSize) || !Read32(image, at + 20, &section.rawOffset))
            return false;
        layout->sections.push_back(section);
    }
    return true;
}

// The RVA and size of data directory `index`; zeros when the image has none.
static void ReadDirectory(const Bytes& image, const PeLayout& layout, uint32_t index, uint32_t* rva, uint32_t* size)
{
    *rva = *size = 0;
    if (index < layout.directoryCount) {
        Read32(image, layout.directories + 8 * (size_t)index, rva);
        Read32(image, layout.directories + 8 * (size_t)index + 4, size);
    }
}

enum { kResourceDirectory = 2, kCertificateDirectory = 4, kPage = 4096 };

bool ReadSignatureLayout(const Bytes& image, SignatureLayout* layout, std::string* error)
{
    *error = "not a Windows executable";
    if (!IsPeImage(image))
        return false;
    *error = "the PE headers are malformed";
    PeLayout pe;
    if (!ReadPeLayout(image, &pe))
        return false;
    layout->checksum = pe.optional + 64;
    layout->directoryEntry = pe.directories + 8 * (size_t)kCertificateDirectory;
    ReadDirectory(image, pe, kCertificateDirectory, &layout->table, &layout->tableSize);
    error->clear();
    return true;
}

int FindPeResource(const Bytes& image, const std::string& type, uint16_t id, Bytes* resource,
                   std::string* error)
{
    *error = "not a Windows executable";
    if (!IsPeImage(image))
        return -1;
    *error = "the PE headers are malformed";
    PeLayout layout;
    if (!ReadPeLayout(image, &layout))
        return -1;
    uint32_t resourceRva, resourceSize;
    ReadDirectory(image, layout, kResourceDirectory, &resourceRva, &resourceSize);
    if (!resourceRva || !resourceSize)
        return 0;
    const std::vector<Section>& sections = layout.sections;

    size_t base;
    if (!RvaToOffset(sections, resourceRva, resourceSize, &base) || base + resourceSize > image.size())
        return -1;

    *error = "the resource directory is malformed";
    ResourceSection section = {image, base, resourceSize};
    uint32_t level;
    int found = FindDirectoryEntry(section, 0, {Match::Name, type, 0}, &level);
    if (found <= 0)
        return found;
    if (!(level & 0x80000000u))
        return -1;
    found = FindDirectoryEntry(section, level & 0x7FFFFFFFu, {Match::Id, "", id}, &level);
    if (found <= 0)
        return found;
    if (!(level & 0x80000000u))
        return -1;
    found = FindDirectoryEntry(section, level & 0x7FFFFFFFu, {Match::First, "", 0}, &level);
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

int AlignResourceSection(Bytes* image, std::string* error)
{
    *error = "not a Windows executable";
    if (!IsPeImage(*image))
        return -1;
    *error = "the PE headers are malformed";
    PeLayout layout;
    if (!ReadPeLayout(*image, &layout))
        return -1;
    uint32_t resourceRva, resourceSize, certificates, certificatesSize;
    ReadDirectory(*image, layout, kResourceDirectory, &resourceRva, &resourceSize);
    ReadDirectory(*image, layout, kCertificateDirectory, &certificates, &certificatesSize);
    const Section* resources = 0;
    for (const Section& section : layout.sections)
        if (resourceRva && resourceRva >= section.virtualAddress && resourceRva - section.virtualAddress < section.virtualSize)
            resources = &section;
    if (!resources || !resources->rawSize)
        return 0;
    uint32_t start = resources->rawOffset;
    if (start % kPage == 0)
        return 0;
    if (start > image->size()) {
        *error = "the resource section lies past the end of the file";
        return -1;
    }
    if (certificates) {
        *error = "the image is signed: align it before signing";
        return -1;
    }
    uint32_t padding = kPage - start % kPage;
    for (const Section& section : layout.sections)
        if (section.rawOffset < start && section.rawSize > start - section.rawOffset) {
            *error = "a section overlaps the resource section in the file";
            return -1;
        }
    // Every section from the resources on moves by the padding; their addresses in
    // memory, and so every RVA, stay as they are.
    for (uint16_t i = 0; i < layout.sectionCount; ++i) {
        const Section& section = layout.sections[i];
        if (section.rawSize && section.rawOffset >= start)
            WriteWord32(image->data() + layout.sectionTable + (size_t)i * 40 + 20, section.rawOffset + padding);
    }
    uint32_t symbols;
    if (Read32(*image, layout.coff + 8, &symbols) && symbols >= start)
        WriteWord32(image->data() + layout.coff + 8, symbols + padding);
    // The checksum no longer holds; no loader of a program checks it, so it is cleared.
    WriteWord32(image->data() + layout.optional + 64, 0);
    image->insert(image->begin() + start, padding, 0);
    error->clear();
    return 1;
}
