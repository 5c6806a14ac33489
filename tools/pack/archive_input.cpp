#include "tools/pack/archive_input.h"

#include "resources/resource_ids.h"
#include "tools/pack/pe_resources.h"

bool LoadArchiveInput(const std::string& path, ArchiveInput* input, std::string* error)
{
    Bytes file;
    if (!ReadWholeFile(path, &file, error)) {
        *error = "cannot read " + path + ": " + *error;
        return false;
    }
    if (!IsPeImage(file)) {
        input->hasArchive = true;
        input->archive.swap(file);
        return true;
    }
    input->fromSetupProgram = true;
    const struct {
        uint16_t id;
        bool* found;
        Bytes* bytes;
    } resources[] = {
        {IDR_PAYLOAD_ARCHIVE, &input->hasArchive, &input->archive},
        {IDR_LICENSE_TEXT, &input->hasLicense, &input->license},
        {IDR_PAYLOAD_CHECKSUM, &input->hasChecksum, &input->checksum},
    };
    for (const auto& resource : resources) {
        int found = FindPeResource(file, "Z", resource.id, resource.bytes, error);
        if (found < 0) {
            *error = path + ": " + *error;
            return false;
        }
        *resource.found = found == 1;
    }
    input->signature = CheckSignature(file, &input->signatureFacts, &input->signatureFault);
    return true;
}
