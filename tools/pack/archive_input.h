// The archive that list and verify look at: an archive file as the packer writes
// it, or the resources of a built setup program.
#pragma once

#include <string>

#include "tools/pack/file_io.h"
#include "tools/pack/signature.h"

struct ArchiveInput {
    bool fromSetupProgram = false;
    bool hasArchive = false;
    Bytes archive;          // resource "Z"/110, or the whole file
    bool hasLicense = false;
    Bytes license;          // resource "Z"/107 of a setup program
    bool hasChecksum = false;
    Bytes checksum;         // resource "Z"/111 of a setup program
    int signature = 0;      // of an executable, as CheckSignature answers
    SignatureFacts signatureFacts;
    std::string signatureFault;
};

// false and *error when the file cannot be read or is a malformed executable.
bool LoadArchiveInput(const std::string& path, ArchiveInput* input, std::string* error);
