// arbolix-pack verify ARCHIVE | SETUP.exe
// Unpacks every piece as the setup program would and checks that each fills its
// size exactly, that the setup program installs every name and that no two entries
// are one file on Windows; the first fault is named with its entry and the exit
// status is 1. An executable that is not a setup program is a fault too.
#include <stdio.h>
#include <stdlib.h>
#include <zlib.h>

#include <string>

#include "payload/archive_format.h"
#include "payload/archive_reader.h"
#include "payload/decompress.h"
#include "payload/text_resource.h"
#include "tools/pack/archive_check.h"
#include "tools/pack/archive_input.h"
#include "tools/pack/commands.h"
#include "tools/pack/help.h"

static int Fault(const std::string& path, const std::string& message)
{
    fprintf(stderr, "arbolix-pack verify: %s: %s\n", path.c_str(), message.c_str());
    return 1;
}

// Why a piece does not unpack, in words; "" when it fills its size exactly.
static std::string PieceFault(const DirectoryEntry& entry)
{
    // A runtime prerequisite carries no data: the installer starts a program instead.
    if (entry.storedSize == entry.size || ((entry.flags & kVersionGated) && entry.storedSize == 0))
        return "";
    if ((uint64_t)entry.size > (uint64_t)entry.storedSize * kMaximumInflateRatio)
        return "its " + std::to_string(entry.storedSize) + " stored bytes cannot inflate to "
               + std::to_string(entry.size) + " bytes";
    Bytes out(entry.size ? entry.size : 1);
    unsigned long produced = entry.size;
    int status = InflateWholeBuffer(out.data(), &produced, entry.data, entry.storedSize);
    if (status == Z_BUF_ERROR)
        return "its stream inflates to more than its " + std::to_string(entry.size) + " bytes";
    if (status != Z_OK)
        return "its stream is corrupt or cut short (zlib status " + std::to_string(status) + ")";
    if (produced != entry.size)
        return "its stream inflates to " + std::to_string(produced) + " bytes instead of "
               + std::to_string(entry.size);
    return "";
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

int RunVerifyCommand(int argc, char** argv)
{
    if (argc != 1)
        return UsageError("verify", argc ? "one file at a time" : "an archive or a setup program is needed");
    std::string path = argv[0];
    ArchiveInput input;
    std::string error;
    if (!LoadArchiveInput(path, &input, &error)) {
        fprintf(stderr, "arbolix-pack verify: %s\n", error.c_str());
        return 1;
    }
    if (input.fromSetupProgram) {
        int status = CheckSetupProgram(path, input);
        if (status)
            return status;
        if (!input.hasArchive) {
            printf("%s: OK, a setup program without a payload archive (no resource Z/110): it installs no "
                   "files\n", path.c_str());
            return 0;
        }
    }
    std::string fault = FindArchiveFault(input.archive);
    if (!fault.empty())
        return Fault(path, fault);
    ArchiveReader reader;
    if (!OpenArchiveBytes(&reader, input.archive.data(), input.archive.size()))
        return Fault(path, "the archive is malformed");
    DirectoryEntry entry;
    TargetNameIndex names;
    size_t count = 0;
    unsigned long long total = 0;
    while (NextArchiveEntry(&reader, &entry)) {
        ++count;
        fault = EntryNameFault(entry, count, &names);
        if (fault.empty()) {
            fault = PieceFault(entry);
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
