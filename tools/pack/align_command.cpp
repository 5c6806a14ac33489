// arbolix-pack align-resources SETUP.exe
// Rewrites a built setup program in place so that its resource section starts on a
// page boundary of the file; the build runs it on every setup program it links.
#include <stdio.h>

#include <string>

#include "tools/pack/commands.h"
#include "tools/pack/file_io.h"
#include "tools/pack/pe_resources.h"

int RunAlignCommand(int argc, char** argv)
{
    if (argc != 1) {
        fprintf(stderr, "usage: arbolix-pack align-resources SETUP.exe\n");
        return 2;
    }
    std::string path = argv[0];
    Bytes image;
    if (!ReadWholeFile(path, &image)) {
        fprintf(stderr, "arbolix-pack align-resources: cannot read %s\n", path.c_str());
        return 1;
    }
    std::string error;
    int result = AlignResourceSection(&image, &error);
    if (result < 0) {
        fprintf(stderr, "arbolix-pack align-resources: %s: %s\n", path.c_str(), error.c_str());
        return 1;
    }
    if (result > 0 && !WriteWholeFile(path, image)) {
        fprintf(stderr, "arbolix-pack align-resources: cannot write %s\n", path.c_str());
        return 1;
    }
    return 0;
}
