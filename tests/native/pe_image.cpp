#include "tests/native/pe_image.h"

#include <stdlib.h>
#include <string.h>

#include "payload/little_endian.h"
#include "tools/pack/file_io.h"

void Put16(Bytes* image, size_t offset, uint16_t value)
{
    (*image)[offset] = (unsigned char)value;
    (*image)[offset + 1] = (unsigned char)(value >> 8);
}

void Put32(Bytes* image, size_t offset, uint32_t value)
{
    WriteWord32(image->data() + offset, value);
}

Bytes MakeImage(const std::string& typeName, const std::vector<ImageResource>& resources)
{
    // The directories fill the first 0x100 bytes: the type's, then one language
    // directory per id 0x20 apart, then the data entries, and the name at 0xE0.
    const uint32_t count = (uint32_t)resources.size();
    const uint32_t languages = 0x30 + 8 * count, entries = languages + 0x20 * count;
    Bytes section(0x100, 0);
    // Root directory: one named entry, the type.
    Put16(&section, 12, 1);
    Put32(&section, 16, 0x80000000u | 0xE0);   // name string at 0xE0
    Put32(&section, 20, 0x80000000u | 0x20);   // type directory
    Put16(&section, 0x20 + 14, (uint16_t)count);
    for (uint32_t i = 0; i < count; ++i) {
        // The id's entry, its language directory and that one's entry for 1033.
        Put32(&section, 0x30 + 8 * i, resources[i].id);
        Put32(&section, 0x34 + 8 * i, 0x80000000u | (languages + 0x20 * i));
        Put16(&section, languages + 0x20 * i + 14, 1);
        Put32(&section, languages + 0x20 * i + 16, 1033);
        Put32(&section, languages + 0x20 * i + 20, entries + 0x10 * i);
    }
    // The name "Z" (or whatever is asked for) as counted UTF-16.
    Put16(&section, 0xE0, (uint16_t)typeName.size());
    for (size_t i = 0; i < typeName.size() && i < 8; ++i) Put16(&section, 0xE2 + 2 * i, (unsigned char)typeName[i]);
    // Data entries and the data after the directory.
    for (uint32_t i = 0; i < count; ++i) {
        Put32(&section, entries + 0x10 * i, kSectionRva + (uint32_t)section.size());
        Put32(&section, entries + 0x10 * i + 4, (uint32_t)resources[i].bytes.size());
        section.insert(section.end(), resources[i].bytes.begin(), resources[i].bytes.end());
        while (section.size() % 4) section.push_back(0);
    }
    while (section.size() % 0x200) section.push_back(0);

    Bytes image(kSectionFile, 0);
    image[0] = 'M';
    image[1] = 'Z';
    Put32(&image, 0x3C, 0x40);
    memcpy(image.data() + 0x40, "PE\0\0", 4);
    size_t coff = 0x44;
    Put16(&image, coff, 0x14C);
    Put16(&image, coff + 2, 1);      // sections
    Put16(&image, coff + 16, 224);   // optional header size
    size_t optional = coff + 20;
    Put16(&image, optional, 0x10B);
    Put32(&image, optional + 92, 16);
    Put32(&image, optional + 96 + 16, kSectionRva);
    Put32(&image, optional + 96 + 20, 0x100);
    size_t header = optional + 224;
    memcpy(image.data() + header, ".rsrc", 5);
    Put32(&image, header + 8, (uint32_t)section.size());
    Put32(&image, header + 12, kSectionRva);
    Put32(&image, header + 16, (uint32_t)section.size());
    Put32(&image, header + 20, kSectionFile);
    image.insert(image.end(), section.begin(), section.end());
    return image;
}

Bytes MakeImage(const std::string& typeName, const Bytes& license, const Bytes& archive, uint16_t archiveId)
{
    return MakeImage(typeName, {{107, license}, {archiveId, archive}});
}

Bytes SignedImage(const Bytes& image)
{
    char pattern[] = "/tmp/arbolix-signature-XXXXXX";
    std::string folder = mkdtemp(pattern);
    Bytes signedImage;
    std::string command = "cd '" + folder + "' && openssl req -x509 -newkey rsa:2048 -nodes -days 2 "
                          "-subj '/CN=Arbolix Test' -keyout key.pem -out cert.pem 2>/dev/null && osslsigncode sign "
                          "-certs cert.pem -key key.pem -h sha256 -in unsigned.exe -out signed.exe >/dev/null";
    if (WriteWholeFile(folder + "/unsigned.exe", image) && system(command.c_str()) == 0)
        ReadWholeFile(folder + "/signed.exe", &signedImage);
    system(("rm -rf '" + folder + "'").c_str());
    return signedImage;
}
