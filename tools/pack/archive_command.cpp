// arbolix-pack archive [--arch x86|x64] [--directory zlib|gzip|stored] [--zopfli]
//                      [--source-dir DIR]... [--uninstaller FILE]
//                      [--default-uninstaller FILE | --no-uninstaller]
//                      MANIFEST -o OUTPUT [--depfile FILE]
// Writes the payload archive of the entries the manifest lists, in its order, and
// optionally a make-style list of the files it read, for the build's dependencies.
// An archive larger than the setup program of --arch (x86, the shipping one, by
// default) can carry is refused, before any source is read when its stored pieces
// alone are too large.
// A payload must install the uninstaller setup registers: --default-uninstaller
// adds FILE as it when the manifest has none, --no-uninstaller lets a test payload
// go without. --uninstaller packs FILE, a signed copy of the uninstaller, in place
// of the manifest's own (or the default one).
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "common/product.h"
#include "payload/archive_format.h"
#include "tools/pack/archive_limits.h"
#include "tools/pack/archive_writer.h"
#include "tools/pack/commands.h"
#include "tools/pack/file_io.h"
#include "tools/pack/file_times.h"
#include "tools/pack/help.h"
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
        if (c == ' ' || c == '#' || c == '\\' || c == ':') escaped += '\\';
        if (c == '$') escaped += '$';
        escaped += c;
    }
    return escaped;
}

// SOURCE_DATE_EPOCH, when set, stands for every time taken from a source file:
// decimal seconds from 1970 to the end of 9999.
static bool ReadSourceDateEpoch(bool* hasEpoch, int64_t* epoch)
{
    const char* text = getenv("SOURCE_DATE_EPOCH");
    *hasEpoch = text && *text;
    return !*hasEpoch || (text[0] != '-' && ParseUnixSeconds(text, epoch));
}

// Packing a large payload takes minutes: on a terminal, one line on standard error,
// rewritten after each file, tells how far it is; nothing when it is not a terminal.
struct Progress {
    bool shown = false;
    size_t files = 0, filesDone = 0;
    uint64_t bytes = 0, bytesDone = 0;
};

static void StartProgress(Progress* progress, const std::vector<ManifestEntry>& items)
{
    progress->shown = isatty(STDERR_FILENO);
    progress->files = items.size();
    for (const ManifestEntry& item : items)
        progress->bytes += item.sourceSize;
}

static void ShowProgress(const Progress& progress)
{
    if (progress.shown)
        fprintf(stderr, "\rarbolix-pack archive: %zu of %zu files, %.1f of %.1f MB", progress.filesDone,
                progress.files, progress.bytesDone / 1e6, progress.bytes / 1e6);
}

static void EndProgress(const Progress& progress)
{
    if (progress.shown)
        fputc('\n', stderr);
}

struct ArchiveArguments {
    std::string manifest, output, depfile, uninstaller, defaultUninstaller;
    bool noUninstaller = false;
    TargetArch arch = TargetArch::X86;
    std::vector<std::string> sourceDirs;
    PackOptions options;
};

// 0 when the command line is whole, or the status to end with.
static int ReadArguments(int argc, char** argv, ArchiveArguments* arguments)
{
    for (int i = 0; i < argc; ++i) {
        std::string option = argv[i];
        bool valued = option == "-o" || option == "--source-dir" || option == "--depfile" || option == "--directory"
                      || option == "--uninstaller" || option == "--default-uninstaller" || option == "--arch";
        if (valued && i + 1 == argc)
            return UsageError("archive", (option + " needs a value").c_str());
        if (option == "-o") {
            arguments->output = argv[++i];
        } else if (option == "--arch") {
            if (!ParseTargetArch(argv[++i], &arguments->arch))
                return UsageError("archive", "--arch takes x86 or x64");
        } else if (option == "--zopfli") {
            arguments->options.exhaustive = true;
        } else if (option == "--source-dir") {
            arguments->sourceDirs.push_back(argv[++i]);
        } else if (option == "--depfile") {
            arguments->depfile = argv[++i];
        } else if (option == "--uninstaller") {
            arguments->uninstaller = argv[++i];
        } else if (option == "--default-uninstaller") {
            arguments->defaultUninstaller = argv[++i];
        } else if (option == "--no-uninstaller") {
            arguments->noUninstaller = true;
        } else if (option == "--directory") {
            std::string storage = argv[++i];
            PieceStorage& directory = arguments->options.directoryStorage;
            if (storage == "zlib") directory = PieceStorage::Zlib;
            else if (storage == "gzip") directory = PieceStorage::Gzip;
            else if (storage == "stored") directory = PieceStorage::Stored;
            else return UsageError("archive", "--directory takes zlib, gzip or stored");
        } else if (arguments->manifest.empty() && option[0] != '-') {
            arguments->manifest = option;
        } else {
            return UsageError("archive", ("unexpected argument '" + option + "'").c_str());
        }
    }
    if (arguments->manifest.empty() || arguments->output.empty())
        return UsageError("archive", "a manifest and -o OUTPUT are needed");
    if (arguments->noUninstaller && !(arguments->uninstaller + arguments->defaultUninstaller).empty())
        return UsageError("archive", "--no-uninstaller goes with neither --uninstaller nor --default-uninstaller");
    return 0;
}

// Why an output cannot be written where it is asked for, naming it; "" when it can.
static std::string OutputProblem(const ArchiveArguments& arguments, const std::vector<ManifestEntry>& items)
{
    std::vector<std::string> inputs = {arguments.manifest};
    for (const ManifestEntry& item : items)
        if (!item.source.empty())
            inputs.push_back(item.source);
    std::string why = OutputPathProblem(arguments.output, inputs);
    if (!why.empty())
        return "cannot write " + arguments.output + ": " + why;
    if (arguments.depfile.empty())
        return "";
    inputs.push_back(arguments.output);
    why = arguments.depfile == arguments.output ? "it is the output" : OutputPathProblem(arguments.depfile, inputs);
    return why.empty() ? "" : "cannot write " + arguments.depfile + ": " + why;
}

static void WriteToOutput(void* output, const unsigned char* bytes, size_t size)
{
    WriteOutput((OutputFile*)output, bytes, size);
}

// Writes the depfile, then the archive: a failure of either leaves neither new.
static int WriteOutputs(const ArchiveArguments& arguments, const StoredPiece& directory,
                        const std::vector<StoredPiece>& pieces, const std::string& dependencies)
{
    OutputFile archive, depfile;
    std::string why;
    if (!BeginOutput(arguments.output, &archive, &why))
        return Fail("cannot write " + arguments.output + ": " + why);
    EmitArchive(directory, pieces, WriteToOutput, &archive);
    if (!CloseOutput(&archive, &why))
        return Fail("cannot write " + arguments.output + ": " + why);
    if (!arguments.depfile.empty()) {
        bool written = BeginOutput(arguments.depfile, &depfile, &why);
        if (written) {
            WriteOutput(&depfile, dependencies.data(), dependencies.size());
            written = CloseOutput(&depfile, &why) && PlaceOutput(&depfile, &why);
        }
        if (!written) {
            AbandonOutput(&archive);
            return Fail("cannot write " + arguments.depfile + ": " + why);
        }
    }
    if (!PlaceOutput(&archive, &why))
        return Fail("cannot write " + arguments.output + ": " + why);
    return 0;
}

// Which entry installs the uninstaller: the manifest's, or the default one added; a
// signed copy given with --uninstaller takes its source's place. *packedFrom is the
// file the entry is made from, the copy's original, which the depfile names. "" or
// the fault.
static std::string SettleUninstaller(const ArchiveArguments& arguments, std::vector<ManifestEntry>* items,
                                     ManifestEntry** uninstaller, std::string* packedFrom)
{
    std::string error;
    if (!FindUninstallerEntry(items) && !arguments.defaultUninstaller.empty()) {
        if (!AddDefaultUninstaller(items, arguments.defaultUninstaller, &error))
            return error;
        fprintf(stderr, "arbolix-pack archive: %s installs no %s: %s is added as its last entry\n",
                arguments.manifest.c_str(), kUninstallerName, arguments.defaultUninstaller.c_str());
    }
    *uninstaller = FindUninstallerEntry(items);
    if (!arguments.uninstaller.empty() && !*uninstaller)
        return std::string("--uninstaller is given, but no entry installs ") + kUninstallerName;
    if (!*uninstaller && !arguments.noUninstaller)
        return std::string("no entry installs ") + kUninstallerName + " into the install folder, which setup "
               "registers as the uninstaller (--no-uninstaller packs such a payload, for tests)";
    if (*uninstaller)
        *packedFrom = (*uninstaller)->source;
    if (!arguments.uninstaller.empty()) {
        (*uninstaller)->source = (*uninstaller)->sourceWord = arguments.uninstaller;
        (*uninstaller)->searched.clear();
    }
    return "";
}

// The archive's size is known only once every piece is made; the pieces kept as they
// are (storage=stored or raw) give its least size before any source is read.
static uint64_t LeastArchiveSize(const std::vector<ManifestEntry>& items)
{
    uint64_t size = kArchiveHeaderSize;
    for (const ManifestEntry& item : items) {
        PieceStorage storage = item.entry.storage;
        if (!item.source.empty() && (storage == PieceStorage::Stored || storage == PieceStorage::Verbatim))
            size += (item.sourceSize + 3) & ~3ull;
    }
    return size;
}

int RunArchiveCommand(int argc, char** argv)
{
    ArchiveArguments arguments;
    int status = ReadArguments(argc, argv, &arguments);
    if (status)
        return status;
    bool hasEpoch;
    int64_t epoch = 0;
    if (!ReadSourceDateEpoch(&hasEpoch, &epoch))
        return Fail("SOURCE_DATE_EPOCH=" + std::string(getenv("SOURCE_DATE_EPOCH"))
                    + " is not a number of seconds from 1970 up to 253402300799 (9999-12-31)");

    const std::string& manifest = arguments.manifest;
    std::string error;
    std::vector<ManifestEntry> items;
    if (!ReadManifest(manifest, arguments.sourceDirs, &items, &error))
        return Fail(error);
    ManifestEntry* uninstaller = nullptr;
    std::string uninstallerSource;
    error = SettleUninstaller(arguments, &items, &uninstaller, &uninstallerSource);
    if (!error.empty())
        return Fail(manifest + ": " + error);
    if (!CheckManifestSources(&items, hasEpoch, epoch, &error))
        return Fail(manifest + ": " + error);
    error = OutputProblem(arguments, items);
    if (!error.empty())
        return Fail(error);
    uint64_t least = LeastArchiveSize(items);
    error = ArchiveSizeProblem(least, arguments.arch);
    if (!error.empty())
        return Fail(arguments.output + ": the payload archive would be at least " + ArchiveSizeText(least)
                    + " with its stored pieces alone; " + error);

    // One source in memory at a time, until its piece is made.
    std::string dependencies = MakeTarget(arguments.output) + ": " + MakeTarget(manifest);
    std::vector<PackEntry> entries;
    std::vector<StoredPiece> pieces;
    Progress progress;
    StartProgress(&progress, items);
    ShowProgress(progress);
    for (ManifestEntry& item : items) {
        if (!ReadManifestSource(&item, &error)) {
            EndProgress(progress);
            return Fail(manifest + ": " + error);
        }
        if (!item.source.empty())
            dependencies += " \\\n " + MakeTarget(&item == uninstaller ? uninstallerSource : item.source);
        pieces.push_back(TakeEntryPiece(&item.entry, arguments.options.exhaustive));
        entries.push_back(std::move(item.entry));
        ++progress.filesDone;
        progress.bytesDone += item.sourceSize;
        ShowProgress(progress);
    }
    EndProgress(progress);
    dependencies += "\n";
    StoredPiece directory = DirectoryPiece(entries, pieces, arguments.options);
    uint64_t size = ArchiveSize(directory, pieces);
    error = ArchiveSizeProblem(size, arguments.arch);
    if (!error.empty())
        return Fail(arguments.output + ": the payload archive would be " + ArchiveSizeText(size) + "; " + error);
    return WriteOutputs(arguments, directory, pieces, dependencies);
}
