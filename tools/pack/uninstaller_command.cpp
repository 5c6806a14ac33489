// arbolix-pack uninstaller [--source-dir DIR]... [--default-uninstaller FILE] MANIFEST -o FILE
// Copies the file the manifest packs as the uninstaller (or the default one, which
// archive --default-uninstaller adds when the manifest has none), so that the copy
// can be signed before archive --uninstaller packs it in the original's place. A
// manifest without an uninstaller, and no default, is a fault: its setup program
// would register an uninstaller it never installs.
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "common/product.h"
#include "tools/pack/commands.h"
#include "tools/pack/file_io.h"
#include "tools/pack/help.h"
#include "tools/pack/manifest.h"

static int Fail(const std::string& message)
{
    fprintf(stderr, "arbolix-pack uninstaller: %s\n", message.c_str());
    return 1;
}

int RunUninstallerCommand(int argc, char** argv)
{
    std::string manifest, output, defaultUninstaller;
    std::vector<std::string> sourceDirs;
    for (int i = 0; i < argc; ++i) {
        bool valued = !strcmp(argv[i], "-o") || !strcmp(argv[i], "--source-dir")
                      || !strcmp(argv[i], "--default-uninstaller");
        if (valued && i + 1 == argc) return UsageError("uninstaller", (std::string(argv[i]) + " needs a value").c_str());
        if (!strcmp(argv[i], "-o")) output = argv[++i];
        else if (!strcmp(argv[i], "--source-dir")) sourceDirs.push_back(argv[++i]);
        else if (!strcmp(argv[i], "--default-uninstaller")) defaultUninstaller = argv[++i];
        else if (manifest.empty() && argv[i][0] != '-') manifest = argv[i];
        else return UsageError("uninstaller", ("unexpected argument '" + std::string(argv[i]) + "'").c_str());
    }
    if (manifest.empty() || output.empty())
        return UsageError("uninstaller", "a manifest and -o FILE are needed");
    std::vector<ManifestEntry> items;
    std::string why;
    if (!ReadManifest(manifest, sourceDirs, &items, &why))
        return Fail(why);
    if (!FindUninstallerEntry(&items) && !defaultUninstaller.empty()
        && !AddDefaultUninstaller(&items, defaultUninstaller, &why))
        return Fail(manifest + ": " + why);
    const ManifestEntry* uninstaller = FindUninstallerEntry(&items);
    if (!uninstaller)
        return Fail(manifest + ": no entry installs " + kUninstallerName + " into the install folder");
    Bytes program;
    if (!ReadWholeFile(uninstaller->source, &program, &why)) {
        std::string where = uninstaller->searched.empty() ? "" : " (looked for in " + uninstaller->searched + ")";
        return Fail(manifest + ": cannot read " + uninstaller->sourceWord + ": " + why + where);
    }
    why = OutputPathProblem(output, {manifest, uninstaller->source});
    if (why.empty() && WriteWholeFile(output, program, &why))
        return 0;
    return Fail("cannot write " + output + ": " + why);
}
