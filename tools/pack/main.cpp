// arbolix-pack: builds and inspects the compressed resources of a setup program.
#include <stdio.h>
#include <string.h>

#include "tools/pack/commands.h"
#include "tools/pack/help.h"

int main(int argc, char** argv)
{
    static const struct {
        const char* name;
        int (*run)(int argc, char** argv);
    } kCommands[] = {
        {"text", RunTextCommand},
        {"archive", RunArchiveCommand},
        {"checksum", RunChecksumCommand},
        {"list", RunListCommand},
        {"verify", RunVerifyCommand},
        {"align-resources", RunAlignCommand},
        {"uninstaller", RunUninstallerCommand},
    };
    if (argc < 2)
        return UsageError("", "a command is needed");
    const char* name = argv[1];
    if (!strcmp(name, "help") || !strcmp(name, "--help") || !strcmp(name, "-h"))
        return ShowHelp(argc > 2 ? argv[2] : nullptr);
    for (const auto& command : kCommands) {
        if (strcmp(command.name, name))
            continue;
        if (AsksForHelp(argc - 2, argv + 2))
            return ShowHelp(name);
        return command.run(argc - 2, argv + 2);
    }
    fprintf(stderr, "arbolix-pack: unknown command '%s'\n", name);
    return UsageError("");
}
