// arbolix-pack archive [--directory zlib|gzip|stored] [--zopfli] [--source-dir DIR]...
//                      MANIFEST -o OUTPUT [--depfile FILE]
// Writes the payload archive of the entries the manifest lists, in its order, and
// optionally a make-style list of the files it read, for the build's dependencies.
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

// A path as make reads it, absolute so that it does not depend on where make runs.
static std::string MakeTarget(const std::string& path)
{
    char* absolute = realpath(path.c_str(), nullptr);
    std::string full = absolute ? absolute : path;
    free(absolute);
    std::string escaped;
    for (char c : full) {
        if (c == ' ' || c == '#' || c == '\\') escaped += '\\';
        if (c == '$') escaped += '$';
        escaped += c;
    }
    return escaped;
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
    std::string manifestPath, output, depfile;
    std::vector<std::string> sourceDirs;
    PackOptions options;
    for (int i = 0; i < argc; ++i) {
        if (!strcmp(argv[i], "-o") && i + 1 < argc) {
            output = argv[++i];
        } else if (!strcmp(argv[i], "--zopfli")) {
            options.exhaustive = true;
        } else if (!strcmp(argv[i], "--source-dir") && i + 1 < argc) {
            sourceDirs.push_back(argv[++i]);
        } else if (!strcmp(argv[i], "--depfile") && i + 1 < argc) {
            depfile = argv[++i];
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
        fprintf(stderr, "usage: arbolix-pack archive [--directory zlib|gzip|stored] [--zopfli] "
                        "[--source-dir DIR]... MANIFEST -o OUTPUT [--depfile FILE]\n");
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
    std::vector<std::string> folders = {slash == std::string::npos ? "." : manifestPath.substr(0, slash)};
    folders.insert(folders.end(), sourceDirs.begin(), sourceDirs.end());
    std::vector<ManifestEntry> items;
    std::string error;
    if (!ParseManifest(std::string(text.begin(), text.end()), folders, &items, &error)
        || !LoadManifestSources(&items, hasEpoch, epoch, &error))
        return Fail(manifestPath + ": " + error);

    std::string dependencies = " " + MakeTarget(manifestPath);
    std::vector<PackEntry> entries;
    for (ManifestEntry& item : items) {
        if (!item.source.empty())
            dependencies += " \\\n " + MakeTarget(item.source);
        entries.push_back(std::move(item.entry));
    }
    Bytes archive = BuildArchive(entries, options);
    if (archive.size() > 0xFFFFFFFFULL)
        return Fail("the archive would be larger than 4 GB");
    if (!WriteWholeFile(output, archive))
        return Fail("cannot write " + output);
    dependencies = MakeTarget(output) + ":" + dependencies + "\n";
    if (!depfile.empty() && !WriteWholeFile(depfile, Bytes(dependencies.begin(), dependencies.end())))
        return Fail("cannot write " + depfile);
    return 0;
}
