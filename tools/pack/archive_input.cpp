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
    int found = FindPeResource(file, "Z", IDR_PAYLOAD_ARCHIVE, &input->archive, error);
    if (found < 0) {
        *error = path + ": " + *error;
        return false;
    }
    input->hasArchive = found == 1;
    found = FindPeResource(file, "Z", IDR_LICENSE_TEXT, &input->license, error);
    if (found < 0) {
        *error = path + ": " + *error;
        return false;
    }
    input->hasLicense = found == 1;
    input->signature = CheckSignature(file, &input->signatureFacts, &input->signatureFault);
    return true;
}
