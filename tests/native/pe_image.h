// A small PE32 image with a resource section, standing for a setup program in the
// tests of the packer.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

#include "tools/pack/bytes.h"

void Put16(Bytes* image, size_t offset, uint16_t value);
void Put32(Bytes* image, size_t offset, uint32_t value);

enum : uint32_t { kSectionRva = 0x1000, kSectionFile = 0x200 };

struct ImageResource {
    uint16_t id;
    Bytes bytes;
};

// One resource section at kSectionFile holding type typeName (by name) with up to
// three resources of ascending numeric ids, each in language 1033.
Bytes MakeImage(const std::string& typeName, const std::vector<ImageResource>& resources);

// The same with the ids 107 and archiveId.
Bytes MakeImage(const std::string& typeName, const Bytes& license, const Bytes& archive, uint16_t archiveId = 110);

// The image signed by osslsigncode with a throw-away certificate made by openssl
// ("CN=Arbolix Test"), as a release is signed; empty when either tool failed.
Bytes SignedImage(const Bytes& image);
