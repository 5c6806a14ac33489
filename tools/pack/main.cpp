// arbolix-pack: builds and inspects the compressed resources of a setup program.
#include <stdio.h>
#include <string.h>

#include "tools/pack/commands.h"

static int Usage()
{
    fprintf(stderr,
            "usage: arbolix-pack COMMAND ...\n"
            "  text [--stored | --gzip] INPUT -o OUTPUT   write a text resource\n"
            "  archive [--directory zlib|gzip|stored] [--zopfli] [--source-dir DIR]...\n"
            "          MANIFEST -o OUTPUT [--depfile FILE]  write a payload archive\n"
            "  list ARCHIVE | SETUP.exe                   show an archive's directory\n"
            "  verify ARCHIVE | SETUP.exe                 unpack and check every piece\n"
            "  align-resources SETUP.exe                  start the resources on a page of the file\n");
    return 2;
}

int main(int argc, char** argv)
{
    if (argc < 2)
        return Usage();
    if (!strcmp(argv[1], "text"))
        return RunTextCommand(argc - 2, argv + 2);
    if (!strcmp(argv[1], "archive"))
        return RunArchiveCommand(argc - 2, argv + 2);
    if (!strcmp(argv[1], "list"))
        return RunListCommand(argc - 2, argv + 2);
    if (!strcmp(argv[1], "verify"))
        return RunVerifyCommand(argc - 2, argv + 2);
    if (!strcmp(argv[1], "align-resources"))
        return RunAlignCommand(argc - 2, argv + 2);
    return Usage();
}
