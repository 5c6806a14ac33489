// arbolix-pack checksum ARCHIVE -o FILE
// Writes the payload archive's checksum resource (Z/111): the CRC-32 of the
// archive's bytes, which list and verify compare with the archive a setup program
// carries.
#include <stdio.h>
#include <string.h>

#include <string>

#include "tools/pack/commands.h"
#include "tools/pack/file_io.h"
#include "tools/pack/help.h"
#include "tools/pack/payload_checksum.h"
#include "tools/pack/pe_resources.h"

static int Fail(const std::string& message)
{
    fprintf(stderr, "arbolix-pack checksum: %s\n", message.c_str());
    return 1;
}

int RunChecksumCommand(int argc, char** argv)
{
    std::string input, output;
    for (int i = 0; i < argc; ++i) {
        if (!strcmp(argv[i], "-o") && i + 1 == argc) return UsageError("checksum", "-o needs a value");
        if (!strcmp(argv[i], "-o")) output = argv[++i];
        else if (input.empty() && argv[i][0] != '-') input = argv[i];
        else return UsageError("checksum", ("unexpected argument '" + std::string(argv[i]) + "'").c_str());
    }
    if (input.empty() || output.empty())
        return UsageError("checksum", "an archive and -o FILE are needed");
    Bytes archive;
    std::string why;
    if (!ReadWholeFile(input, &archive, &why))
        return Fail("cannot read " + input + ": " + why);
    if (IsPeImage(archive))
        return Fail(input + " is a Windows executable, not a payload archive");
    why = OutputPathProblem(output, {input});
    if (why.empty() && WriteWholeFile(output, ChecksumResource(PayloadChecksum(archive)), &why))
        return 0;
    return Fail("cannot write " + output + ": " + why);
}
