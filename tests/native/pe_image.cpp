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

Bytes MakeImage(const std::string& typeName, const Bytes& license, const Bytes& archive, uint16_t archiveId)
{
    Bytes section(0x100, 0);
    // Root directory: one named entry, the type.
    Put16(&section, 12, 1);
    Put32(&section, 16, 0x80000000u | 0xE0);   // name string at 0xE0
    Put32(&section, 20, 0x80000000u | 0x20);   // type directory
    // Type directory: two id entries.
    Put16(&section, 0x20 + 14, 2);
    Put32(&section, 0x30, 107);
    Put32(&section, 0x34, 0x80000000u | 0x40);
    Put32(&section, 0x38, archiveId);
    Put32(&section, 0x3C, 0x80000000u | 0x60);
    // Language directories, one entry each pointing at a data entry.
    Put16(&section, 0x40 + 14, 1);
    Put32(&section, 0x50, 1033);
    Put32(&section, 0x54, 0x80);
    Put16(&section, 0x60 + 14, 1);
    Put32(&section, 0x70, 1033);
    Put32(&section, 0x74, 0x90);
    // The name "Z" (or whatever is asked for) as counted UTF-16.
    Put16(&section, 0xE0, (uint16_t)typeName.size());
    for (size_t i = 0; i < typeName.size() && i < 8; ++i) Put16(&section, 0xE2 + 2 * i, (unsigned char)typeName[i]);
    // Data entries and the data after the directory.
    Put32(&section, 0x80, kSectionRva + (uint32_t)section.size());
    Put32(&section, 0x84, (uint32_t)license.size());
    section.insert(section.end(), license.begin(), license.end());
    while (section.size() % 4) section.push_back(0);
    Put32(&section, 0x90, kSectionRva + (uint32_t)section.size());
    Put32(&section, 0x94, (uint32_t)archive.size());
    section.insert(section.end(), archive.begin(), archive.end());
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
