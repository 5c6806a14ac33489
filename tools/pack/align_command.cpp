// arbolix-pack align-resources SETUP.exe
// Rewrites a built setup program so that its resource section starts on a page
// boundary of the file; the build runs it on every setup program it links. The
// aligned program replaces the old one only once it is written whole.
#include <stdio.h>

#include <string>

#include "tools/pack/commands.h"
#include "tools/pack/file_io.h"
#include "tools/pack/help.h"
#include "tools/pack/pe_resources.h"

int RunAlignCommand(int argc, char** argv)
{
    if (argc != 1)
        return UsageError("align-resources", argc ? "one program at a time" : "a program is needed");
    std::string path = argv[0];
    Bytes image;
    std::string error;
    if (!ReadWholeFile(path, &image, &error)) {
        fprintf(stderr, "arbolix-pack align-resources: cannot read %s: %s\n", path.c_str(), error.c_str());
        return 1;
    }
    int result = AlignResourceSection(&image, &error);
    if (result < 0) {
        fprintf(stderr, "arbolix-pack align-resources: %s: %s\n", path.c_str(), error.c_str());
        return 1;
    }
    if (result > 0 && !WriteWholeFile(path, image, &error)) {
        fprintf(stderr, "arbolix-pack align-resources: cannot write %s: %s\n", path.c_str(), error.c_str());
        return 1;
    }
    return 0;
}
