// arbolix-pack archive [--directory zlib|gzip|stored] MANIFEST -o OUTPUT
// Writes the payload archive of the entries the manifest lists, in its order.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "tools/pack/archive_writer.h"
#include "tools/pack/commands.h"
#include "tools/pack/file_io.h"
#include "tools/pack/manifest.h"

static int Fail(const std::string& message)
{
    fprintf(stderr, "arbolix-pack archive: %s\n", message.c_str());
    return 1;
}

// SOURCE_DATE_EPOCH, when set, stands for every time taken from a source file.
static bool ReadSourceDateEpoch(bool* hasEpoch, int64_t* epoch)
{
    const char* text = getenv("SOURCE_DATE_EPOCH");
    *hasEpoch = text && *text;
    if (!*hasEpoch)
        return true;
    char* end;
    long long value = strtoll(text, &end, 10);
    *epoch = value;
    return *end == 0 && value >= 0;
}

int RunArchiveCommand(int argc, char** argv)
{
    std::string manifestPath, output;
    PackOptions options;
    for (int i = 0; i < argc; ++i) {
        if (!strcmp(argv[i], "-o") && i + 1 < argc) {
            output = argv[++i];
        } else if (!strcmp(argv[i], "--directory") && i + 1 < argc) {
            std::string storage = argv[++i];
            if (storage == "zlib") options.directoryStorage = PieceStorage::Zlib;
            else if (storage == "gzip") options.directoryStorage = PieceStorage::Gzip;
            else if (storage == "stored") options.directoryStorage = PieceStorage::Stored;
            else return Fail("--directory takes zlib, gzip or stored");
        } else if (manifestPath.empty() && argv[i][0] != '-') {
            manifestPath = argv[i];
        } else {
            fprintf(stderr, "arbolix-pack archive: unexpected argument '%s'\n", argv[i]);
            return 2;
        }
    }
    if (manifestPath.empty() || output.empty()) {
        fprintf(stderr, "usage: arbolix-pack archive [--directory zlib|gzip|stored] MANIFEST -o OUTPUT\n");
        return 2;
    }
    bool hasEpoch;
    int64_t epoch = 0;
    if (!ReadSourceDateEpoch(&hasEpoch, &epoch))
        return Fail("SOURCE_DATE_EPOCH must be a number of seconds since 1970");

    Bytes text;
    if (!ReadWholeFile(manifestPath, &text))
        return Fail("cannot read " + manifestPath);
    size_t slash = manifestPath.rfind('/');
    std::string folder = slash == std::string::npos ? "." : manifestPath.substr(0, slash);
    std::vector<ManifestEntry> items;
    std::string error;
    if (!ParseManifest(std::string(text.begin(), text.end()), folder, &items, &error)
        || !LoadManifestSources(&items, hasEpoch, epoch, &error))
        return Fail(manifestPath + ": " + error);

    std::vector<PackEntry> entries;
    for (ManifestEntry& item : items)
        entries.push_back(std::move(item.entry));
    Bytes archive = BuildArchive(entries, options);
    if (archive.size() > 0xFFFFFFFFULL)
        return Fail("the archive would be larger than 4 GB");
    if (!WriteWholeFile(output, archive))
        return Fail("cannot write " + output);
    return 0;
}
