// arbolix-pack verify [--arch x86|x64] ARCHIVE | SETUP.exe
// Unpacks every piece as the setup program would and checks that each fills its
// size exactly, that the setup program installs every name and that no two entries
// are one file on Windows; the first fault is named with its entry and the exit
// status is 1. An executable that is not a setup program is a fault too, and so is a
// payload checksum that is not the archive's. The setup program and every program
// in the archive are said to be signed or not, and a signature that does not cover
// its file as it is is a fault. An archive file larger than the setup program of
// --arch (x86 by default) can carry is a fault, found from its size before reading.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <zlib.h>

#include <string>

#include "payload/archive_format.h"
#include "payload/archive_reader.h"
#include "payload/decompress.h"
#include "payload/text_resource.h"
#include "tools/pack/archive_check.h"
#include "tools/pack/archive_input.h"
#include "tools/pack/archive_limits.h"
#include "tools/pack/commands.h"
#include "tools/pack/help.h"
#include "tools/pack/payload_checksum.h"
#include "tools/pack/pe_resources.h"
#include "tools/pack/signature.h"

static int Fault(const std::string& path, const std::string& message)
{
    fprintf(stderr, "arbolix-pack verify: %s: %s\n", path.c_str(), message.c_str());
    return 1;
}

// Why a piece does not unpack, in words; "" when it fills its size exactly. *out
// holds the unpacked bytes when they may be a program ("MZ"), and is empty otherwise.
static std::string PieceFault(const DirectoryEntry& entry, Bytes* out)
{
    out->clear();
    // A runtime prerequisite carries no data: the installer starts a program instead.
    if ((entry.flags & kVersionGated) && entry.storedSize == 0)
        return "";
    if (entry.storedSize == entry.size) {
        if (entry.size >= 2 && entry.data[0] == 'M' && entry.data[1] == 'Z')
            out->assign(entry.data, entry.data + entry.size);
        return "";
    }
    if ((uint64_t)entry.size > (uint64_t)entry.storedSize * kMaximumInflateRatio)
        return "its " + std::to_string(entry.storedSize) + " stored bytes cannot inflate to "
               + std::to_string(entry.size) + " bytes";
    out->resize(entry.size ? entry.size : 1);
    unsigned long produced = entry.size;
    int status = InflateWholeBuffer(out->data(), &produced, entry.data, entry.storedSize);
    if (status == Z_BUF_ERROR)
        return "its stream inflates to more than its " + std::to_string(entry.size) + " bytes";
    if (status != Z_OK)
        return "its stream is corrupt or cut short (zlib status " + std::to_string(status) + ")";
    if (produced != entry.size)
        return "its stream inflates to " + std::to_string(produced) + " bytes instead of "
               + std::to_string(entry.size);
    out->resize(entry.size);
    return "";
}

// Whether a program is signed, in words; false and *fault when its signature does not
// cover it as it is.
static bool DescribeProgram(const Bytes& program, std::string* words, std::string* fault)
{
    SignatureFacts facts;
    int signature = CheckSignature(program, &facts, fault);
    *words = signature > 0 ? DescribeSignature(facts) : "not signed";
    return signature >= 0;
}

// The setup program's own resources: every setup program carries its license text.
// 0 to go on with the archive, or the status to end with.
static int CheckSetupProgram(const std::string& path, const ArchiveInput& input)
{
    if (!input.hasLicense)
        return Fault(path, "a Windows executable but not a setup program: it has no license text (resource Z/107)");
    size_t length;
    char* text = DecodeTextResource(input.license.data(), input.license.size(), &length);
    if (!text)
        return Fault(path, "the license text (resource Z/107) does not decode");
    free(text);
    return 0;
}

// A setup program's payload checksum, when it carries one, must be its archive's.
// 0 to go on with the archive, or the status to end with.
static int CheckChecksum(const std::string& path, const ArchiveInput& input)
{
    ChecksumFinding found = CheckPayloadChecksum(input.hasChecksum, input.checksum, input.hasArchive, input.archive);
    switch (found.state) {
    case ChecksumState::None:
        printf("%s: no payload checksum (no resource Z/111)\n", path.c_str());
        return 0;
    case ChecksumState::Matches:
        printf("%s: payload checksum CRC-32 %s, matches the archive\n", path.c_str(),
               ChecksumText(found.stored).c_str());
        return 0;
    case ChecksumState::Malformed:
        return Fault(path, "the payload checksum (resource Z/111) has " + std::to_string(found.size)
                               + " bytes, not " + std::to_string(kChecksumResourceSize));
    case ChecksumState::DoesNotMatch:
        return Fault(path, "the payload checksum (resource Z/111) is CRC-32 " + ChecksumText(found.stored)
                               + ", but the archive's is " + ChecksumText(found.actual)
                               + ": the archive is not the one that was packed");
    case ChecksumState::WithoutArchive:
        break;
    }
    return Fault(path, "a payload checksum (resource Z/111) without a payload archive (resource Z/110)");
}

// "" when an archive of size bytes fits the setup program of arch; otherwise the fault.
static std::string ArchiveSizeFault(uint64_t size, TargetArch arch)
{
    std::string problem = ArchiveSizeProblem(size, arch);
    return problem.empty() ? "" : "the payload archive is " + ArchiveSizeText(size) + "; " + problem;
}

// An archive file too large is refused before it is read: it is any file that does
// not start as every Windows executable does ("MZ").
static std::string ArchiveFileSizeFault(const std::string& path, TargetArch arch)
{
    struct stat status;
    FILE* file = fopen(path.c_str(), "rb");
    char start[2] = {0, 0};
    bool program = !file || fread(start, 1, 2, file) != 2 || !memcmp(start, "MZ", 2);
    if (file) fclose(file);
    if (program || stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode))
        return "";
    return ArchiveSizeFault((uint64_t)status.st_size, arch);
}

// 0 when the command line is whole, or the status to end with.
static int ReadArguments(int argc, char** argv, std::string* path, TargetArch* arch)
{
    for (int i = 0; i < argc; ++i) {
        if (!strcmp(argv[i], "--arch")) {
            if (i + 1 == argc) return UsageError("verify", "--arch needs a value");
            if (!ParseTargetArch(argv[++i], arch)) return UsageError("verify", "--arch takes x86 or x64");
        } else if (path->empty() && argv[i][0] != '-') {
            *path = argv[i];
        } else {
            return UsageError("verify", path->empty() ? ("unexpected argument '" + std::string(argv[i]) + "'").c_str()
                                                      : "one file at a time");
        }
    }
    return path->empty() ? UsageError("verify", "an archive or a setup program is needed") : 0;
}

int RunVerifyCommand(int argc, char** argv)
{
    std::string path;
    TargetArch arch = TargetArch::X86;
    int status = ReadArguments(argc, argv, &path, &arch);
    if (status)
        return status;
    std::string fault = ArchiveFileSizeFault(path, arch);
    if (!fault.empty())
        return Fault(path, fault);
    ArchiveInput input;
    std::string error;
    if (!LoadArchiveInput(path, &input, &error)) {
        fprintf(stderr, "arbolix-pack verify: %s\n", error.c_str());
        return 1;
    }
    fault = input.fromSetupProgram ? "" : ArchiveSizeFault(input.archive.size(), arch);
    if (!fault.empty())
        return Fault(path, fault);
    if (input.fromSetupProgram) {
        if (input.signature < 0)
            return Fault(path, input.signatureFault);
        status = CheckSetupProgram(path, input);
        if (status)
            return status;
        printf("%s: %s\n", path.c_str(),
               input.signature ? (DescribeSignature(input.signatureFacts)
                                  + "; the signature covers the file as it is (its certificate's trust is not "
                                    "checked here)").c_str()
                               : "not signed");
        status = CheckChecksum(path, input);
        if (status)
            return status;
        if (!input.hasArchive) {
            printf("%s: OK, a setup program without a payload archive (no resource Z/110): it installs no "
                   "files\n", path.c_str());
            return 0;
        }
    }
    fault = FindArchiveFault(input.archive);
    if (!fault.empty())
        return Fault(path, fault);
    ArchiveReader reader;
    if (!OpenArchiveBytes(&reader, input.archive.data(), input.archive.size()))
        return Fault(path, "the archive is malformed");
    DirectoryEntry entry;
    TargetNameIndex names;
    Bytes unpacked;
    std::string program;
    size_t count = 0;
    unsigned long long total = 0;
    while (NextArchiveEntry(&reader, &entry)) {
        ++count;
        fault = EntryNameFault(entry, count, &names);
        if (fault.empty()) {
            fault = PieceFault(entry, &unpacked);
            if (fault.empty() && IsPeImage(unpacked) && DescribeProgram(unpacked, &program, &fault))
                printf("%s: a program, %s\n", EntryLabel(count, entry.name).c_str(), program.c_str());
            if (!fault.empty())
                fault = EntryLabel(count, entry.name) + ": " + fault;
        }
        if (!fault.empty()) {
            CloseArchive(&reader);
            return Fault(path, fault);
        }
        total += entry.size;
    }
    CloseArchive(&reader);
    const char* what = input.fromSetupProgram ? "a setup program, " : "";
    printf("%s: OK, %s%zu %s, %llu bytes unpacked\n", path.c_str(), what, count, count == 1 ? "entry" : "entries",
           total);
    return 0;
}
