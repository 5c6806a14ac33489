// The packer as the release engineer runs it: manifests in, archives out, and
// list and verify over the result.
#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <dirent.h>
#include <locale.h>
#include <unistd.h>
#include <wchar.h>
#include <wctype.h>
#include <zlib.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "payload/archive_format.h"
#include "payload/archive_reader.h"
#include "payload/decompress.h"
#include "payload/little_endian.h"
#include "tests/native/pe_image.h"
#include "tools/pack/archive_limits.h"
#include "tools/pack/archive_writer.h"
#include "tools/pack/code_page.h"
#include "tools/pack/file_io.h"
#include "tools/pack/file_times.h"
#include "tools/pack/manifest.h"

struct RunResult {
    int status;
    std::string output;  // stdout and stderr together
};

static RunResult RunShell(const std::string& command)
{
    FILE* pipe = popen(command.c_str(), "r");
    RunResult result{-1, ""};
    if (!pipe) return result;
    char buffer[4096];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0) result.output.append(buffer, got);
    int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

// Runs the packer through the shell; before, when given, is shell text that goes
// first (a limit, say). Arguments may redirect standard error away from the output.
static RunResult RunPacker(const std::string& arguments, const char* epoch = nullptr, const char* before = "")
{
    std::string command = before;
    command += epoch ? std::string("SOURCE_DATE_EPOCH=") + epoch + " " : "env -u SOURCE_DATE_EPOCH ";
    return RunShell(command + PACKER + " 2>&1 " + arguments);
}

class PackerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/arbolix-packer-XXXXXX";
        folder = mkdtemp(pattern);
    }
    void TearDown() override { system(("rm -rf '" + folder + "'").c_str()); }

    std::string Path(const std::string& name) { return folder + "/" + name; }
    // archive over the folder's manifest.txt, a test payload without an uninstaller.
    std::string PackTestPayload(const std::string& output)
    {
        return "archive --no-uninstaller " + Path("manifest.txt") + " -o " + Path(output);
    }
    // The names in the folder, sorted, hidden ones included.
    std::string Listing()
    {
        std::vector<std::string> names;
        DIR* dir = opendir(folder.c_str());
        while (dirent* item = dir ? readdir(dir) : nullptr)
            if (strcmp(item->d_name, ".") && strcmp(item->d_name, ".."))
                names.push_back(item->d_name);
        if (dir) closedir(dir);
        std::sort(names.begin(), names.end());
        std::string listing;
        for (const std::string& name : names) listing += (listing.empty() ? "" : " ") + name;
        return listing;
    }
    void Write(const std::string& name, const Bytes& bytes) { ASSERT_TRUE(WriteWholeFile(Path(name), bytes)); }
    void Write(const std::string& name, const std::string& text) { Write(name, Bytes(text.begin(), text.end())); }
    Bytes Read(const std::string& name)
    {
        Bytes bytes;
        ReadWholeFile(Path(name), &bytes);
        return bytes;
    }
    std::string folder;
};

static Bytes TextBytes(const std::string& text)
{
    return Bytes(text.begin(), text.end());
}

// The entries of an archive file, with their unpacked contents.
struct ReadEntry {
    DirectoryEntry entry;
    std::string name;
    Bytes content;
    bool unpacked;
};

static bool ReadArchive(const Bytes& archive, std::vector<ReadEntry>* entries)
{
    ArchiveReader reader;
    if (!OpenArchiveBytes(&reader, archive.data(), archive.size()))
        return false;
    DirectoryEntry entry;
    while (NextArchiveEntry(&reader, &entry)) {
        ReadEntry read{entry, entry.name, Bytes(entry.size), false};
        read.unpacked = UnpackPiece(entry.data, entry.storedSize, read.content.data(), entry.size);
        read.entry.name = nullptr;
        read.entry.data = nullptr;
        entries->push_back(read);
    }
    CloseArchive(&reader);
    return true;
}

static uint64_t Time(const ArchiveTime& time)
{
    return (uint64_t)time.high << 32 | time.low;
}

TEST_F(PackerTest, GeneratedManifestsRoundTripThroughTheReader)
{
    std::mt19937 random(42);
    for (int round = 0; round < 40; ++round) {
        struct Expected {
            std::string name;
            uint32_t flags, attributes, size, ms, ls;
            uint64_t times[3];
            Bytes data;
            bool stored;
        };
        std::vector<Expected> expected;
        std::string manifest = "# generated manifest " + std::to_string(round) + "\n\n";
        int count = (int)(random() % 8);
        for (int i = 0; i < count; ++i) {
            Expected e;
            e.name = "Folder " + std::to_string(i) + "\\file " + std::to_string(random() % 1000) + ".bin";
            bool noSource = random() % 6 == 0;
            uint32_t flagSets[] = {kLogForUninstall, kLogForUninstall | kInSystemDirectory, kVersionGated,
                                   kVersionGated | kLogForUninstall | kInSystemDirectory, 0x40};
            e.flags = flagSets[random() % 5];
            e.attributes = (uint32_t)random();
            e.ms = (uint32_t)random();
            e.ls = (uint32_t)random();
            e.stored = random() % 3 == 0;
            for (uint64_t& time : e.times) time = FileTimeFromUnix((int64_t)(random() % 2000000000));
            std::string line;
            if (noSource) {
                e.size = (e.flags & kVersionGated) && random() % 2 ? (uint32_t)random() % 100000 : 0;
                line = "- \"" + e.name + "\"";
                if (e.size) line += " size=" + std::to_string(e.size);
            } else {
                size_t size = random() % 5 == 0 ? random() % 3 : random() % 5000;
                if (e.flags & kVersionGated) size += size == 0;  // empty, it would be a prerequisite
                for (size_t b = 0; b < size; ++b)
                    e.data.push_back(random() % 2 ? (unsigned char)random() : (unsigned char)'a');
                e.size = (uint32_t)size;
                std::string source = "source " + std::to_string(i);
                Write(source, e.data);
                const char* storage = e.stored ? "stored" : random() % 2 ? "gzip" : "zlib";
                line = "\"" + source + "\"\t\"" + e.name + "\" storage=" + storage;
            }
            char number[32];
            snprintf(number, sizeof number, "0x%X", e.flags);
            line += std::string(" flags=") + number;
            snprintf(number, sizeof number, "%#x", e.attributes);
            line += std::string(" attributes=") + number;
            if (e.flags & kVersionGated)
                line += " version=" + std::to_string(e.ms >> 16) + "." + std::to_string(e.ms & 0xFFFF) + "."
                        + std::to_string(e.ls >> 16) + "." + std::to_string(e.ls & 0xFFFF);
            line += " created=" + FormatFileTime(e.times[0]).replace(10, 1, "T") + "Z";
            line += " accessed=@" + std::to_string(e.times[1] / 10000000 - 11644473600LL);
            snprintf(number, sizeof number, "0x%llX", (unsigned long long)e.times[2]);
            line += std::string(" written=") + number;
            manifest += line + "\n";
            expected.push_back(e);
        }
        Write("manifest.txt", manifest);
        RunResult packed = RunPacker(PackTestPayload("out.z"));
        ASSERT_EQ(expected.empty() ? 1 : 0, packed.status) << packed.output << manifest;
        if (expected.empty())
            continue;  // a setup program that installs nothing is refused
        std::vector<ReadEntry> entries;
        ASSERT_TRUE(ReadArchive(Read("out.z"), &entries)) << manifest;
        ASSERT_EQ(expected.size(), entries.size());
        for (size_t i = 0; i < entries.size(); ++i) {
            const Expected& e = expected[i];
            const DirectoryEntry& got = entries[i].entry;
            EXPECT_EQ(e.name, entries[i].name);
            EXPECT_EQ(e.flags, got.flags);
            EXPECT_EQ(e.attributes, got.sourceAttributes);
            EXPECT_EQ(e.size, got.size);
            EXPECT_EQ(e.times[0], Time(got.creationTime));
            EXPECT_EQ(e.times[1], Time(got.lastAccessTime));
            EXPECT_EQ(e.times[2], Time(got.lastWriteTime));
            bool gated = e.flags & kVersionGated;
            EXPECT_EQ(gated ? e.ms : 0u, got.minimumVersionMS);
            EXPECT_EQ(gated ? e.ls : 0u, got.minimumVersionLS);
            if (e.data.empty() && e.size) {
                EXPECT_EQ(0u, got.storedSize);  // no source: no data, whatever the size
            } else {
                EXPECT_TRUE(entries[i].unpacked);
                EXPECT_EQ(e.data, entries[i].content);
                if (e.stored) EXPECT_EQ(got.size, got.storedSize);
            }
        }
        EXPECT_EQ(0, RunPacker("verify '" + Path("out.z") + "'").status);
    }
}

TEST_F(PackerTest, SourceDateEpochReplacesFileTimesAndMakesIdenticalArchives)
{
    Write("a.abx", std::string(3000, 'x'));
    Write("b.abx", "tree");
    Write("manifest.txt", "a.abx SampleFiles\\a.abx\nb.abx b.abx written=2001-02-03T04:05:06Z\n");
    ASSERT_EQ(0, RunPacker(PackTestPayload("one.z"), "1234567890").status);
    struct timespec times[2] = {{1000000000, 0}, {1000000000, 500}};
    ASSERT_EQ(0, utimensat(AT_FDCWD, Path("a.abx").c_str(), times, 0));
    ASSERT_EQ(0, RunPacker(PackTestPayload("two.z"), "1234567890").status);
    EXPECT_EQ(Read("one.z"), Read("two.z"));

    std::vector<ReadEntry> entries;
    ASSERT_TRUE(ReadArchive(Read("one.z"), &entries));
    ASSERT_EQ(2u, entries.size());
    uint64_t epoch = FileTimeFromUnix(1234567890);
    EXPECT_EQ(epoch, Time(entries[0].entry.creationTime));
    EXPECT_EQ(epoch, Time(entries[0].entry.lastAccessTime));
    EXPECT_EQ(epoch, Time(entries[0].entry.lastWriteTime));
    EXPECT_EQ(epoch, Time(entries[1].entry.creationTime));
    // A time written in the manifest is already reproducible and is kept.
    EXPECT_EQ("2001-02-03 04:05:06", FormatFileTime(Time(entries[1].entry.lastWriteTime)));

    // Without the variable every time is the source's modification time, to 100 ns.
    ASSERT_EQ(0, RunPacker(PackTestPayload("three.z")).status);
    entries.clear();
    ASSERT_TRUE(ReadArchive(Read("three.z"), &entries));
    EXPECT_EQ(FileTimeFromUnix(1000000000) + 5, Time(entries[0].entry.lastWriteTime));
    EXPECT_EQ(FileTimeFromUnix(1000000000) + 5, Time(entries[0].entry.creationTime));
}

TEST_F(PackerTest, BadManifestLinesAreRefusedWithTheirLineNumber)
{
    Write("a", "data");
    Write("empty", "");
    mkdir(Path("folder").c_str(), 0755);
    const std::string device = "the target name must not be, or hold a folder named as, a device of Windows";
    const std::string forbidden = "the target name must not hold < > \" | ? * or a control character";
    const std::string parts = "the target name must be relative, without empty, '.' or '..' parts, nor parts of "
                              "only dots and spaces";
    struct Case {
        std::string lines;  // after a first line of comment
        std::string message;
    } cases[] = {
        {"a", "line 2: expected a source and a target name"},
        {"a b storage=bzip2", "line 2: bad value for storage: 'bzip2' (zlib, gzip, stored or raw)"},
        {"a b flags=0", "line 2: flags of 0 would end the directory"},
        {"a b flags=Sometimes", "line 2: bad value for flags: 'Sometimes'"},
        {"a b flags=VersionGated", "line 2: a VersionGated entry needs version=a.b.c.d"},
        {"a b version=1.2.3.4", "line 2: version= is only for VersionGated entries"},
        {"a b flags=VersionGated version=1.2.3", "line 2: bad value for version: '1.2.3'"},
        {"a b flags=VersionGated version=1.2.3.65536", "line 2: bad value for version: '1.2.3.65536'"},
        {"a b flags=VersionGated version=4294967296.0.0.1", "line 2: bad value for version: '4294967296.0.0.1'"},
        {"a b flags=VersionGated version=-1.0.0.1", "line 2: bad value for version: '-1.0.0.1'"},
        {"a b base=elsewhere", "line 2: bad value for base: 'elsewhere'"},
        {"a b flags=InSystemDirectory base=install", "line 2: base=install contradicts the flag InSystemDirectory"},
        {"a b size=4", "line 2: size= is only for storage=raw and for VersionGated entries without a source file"},
        {"- b size=4", "line 2: size= is only for storage=raw and for VersionGated entries without a source file"},
        {"- b storage=raw", "line 2: storage=raw needs a source file"},
        {"a b colour=red", "line 2: unknown key 'colour'"},
        {"a b loose", "line 2: expected key=value, not 'loose'"},
        {"a \"b c", "line 2: unclosed double quote"},
        {"a b created=2007-02-30T00:00:00Z", "line 2: bad value for created: '2007-02-30T00:00:00Z'"},
        {"a b created=2007-03-14T12:00:00", "line 2: bad value for created: '2007-03-14T12:00:00'"},
        {"a b times=yesterday", "line 2: bad value for times: 'yesterday'"},
        {"a b times=@1844674407371", "line 2: bad value for times: '@1844674407371'"},
        {"a b times=@1700000000000", "line 2: bad value for times: '@1700000000000'"},
        {"a b times=@-11644473601", "line 2: bad value for times: '@-11644473601'"},
        {"a b times=0x-1", "line 2: bad value for times: '0x-1'"},
        {"a b times=0x8000000000000000", "line 2: bad value for times: '0x8000000000000000'"},
        {"a b attributes=-1", "line 2: bad value for attributes: '-1'"},
        {"a b attributes=010", "line 2: bad value for attributes: '010' (a number up to 4294967295"},
        {"a b attributes=4294967296", "line 2: bad value for attributes: '4294967296'"},
        {"a b attributes=0x100000000", "line 2: bad value for attributes: '0x100000000'"},
        {"a b attributes=0x", "line 2: bad value for attributes: '0x'"},
        {"a b flags=LogForUninstall,", "line 2: bad value for flags: 'LogForUninstall,'"},
        {"a C:\\b", "line 2: the target name must not hold a drive or a ':'"},
        {"a \\b", "line 2: " + parts},
        {"a b\\..\\..\\c", "line 2: " + parts},
        {"a b\\\\c", "line 2: " + parts},
        {"a ...\\x.txt", "line 2: " + parts},
        {"a \"sub\\ \\y.txt\"", "line 2: " + parts},
        {"a b/c", "line 2: the target name must use '\\' as separator"},
        {"a CON", "line 2: " + device},
        {"a nul.txt", "line 2: " + device},
        {"a sub\\COM1\\x.txt", "line 2: " + device},
        {"a a<b", "line 2: " + forbidden},
        {"a \"a|b\"", "line 2: " + forbidden},
        {"a \"a\tb\"", "line 2: " + forbidden},
        {std::string("a x\0y", 5), "line 2: the line holds a NUL byte"},
        {"a \xE4\xB8\xAD.txt", "line 2: the character U+4E2D in the target name \xE4\xB8\xAD.txt has no Windows-1252 form"},
        {"\"\" x", "line 2: the source is empty"},
        {"empty x flags=VersionGated version=1.0.0.0",
         "line 2: the VersionGated entry's source empty is empty, so it would be taken for a runtime prerequisite"},
        {"missing b", "line 2: cannot read missing: no such file or folder (looked for in " + folder + ")"},
        {"folder b", "line 2: cannot read folder: it is a folder"},
        {"a foo\n\na foo.", "line 4: the target foo. is already written by line 2"},
        {"a x\xE9.txt\na X\xC9.TXT", "line 3: the target X\xC9.TXT is already written by line 2"},
        {"a \xFF\\\x9A\na \x9F\\\x8A", "line 3: the target \x9F\\\x8A is already written by line 2"},
        {"a sub\na sub\\x.txt", "line 3: the target sub\\x.txt needs a folder where line 2 writes a file"},
        {"a sub\\x.txt\na SUB", "line 3: the target SUB is a folder of what line 2 writes"},
        {"a Uninstall.cfg", "line 2: the target Uninstall.cfg is the setup program's own uninstall log, which "
                            "setup holds open while it installs, so every run would fail"},
        {"a \"uninstall.CFG .\"", "line 2: the target uninstall.CFG . is the setup program's own uninstall log"},
        {"a LONGFI~1.TXT", "line 2: the target LONGFI~1.TXT has a part shaped like a short name Windows makes "
                           "(LONGFI~1.TXT: '~' and digits before the extension or the end), which on volumes "
                           "that make short names can stand for another entry's file"},
        {"a A~12", "line 2: the target A~12 has a part shaped like a short name Windows makes (A~12: "},
        {"a dir~3\\x.txt", "line 2: the target dir~3\\x.txt has a part shaped like a short name Windows makes "
                           "(dir~3: "},
        {"a \"x\\b~7. \"", "line 2: the target x\\b~7.  has a part shaped like a short name Windows makes (b~7. : "},
        {"", "the manifest lists no entries"},
        {"  # only a comment with a \"quote", "the manifest lists no entries"},
    };
    for (const Case& c : cases) {
        Write("manifest.txt", "# first line\n" + c.lines + "\n");
        RunResult result = RunPacker(PackTestPayload("out.z"));
        EXPECT_EQ(1, result.status) << c.lines;
        EXPECT_NE(std::string::npos, result.output.find(Path("manifest.txt") + ": " + c.message))
            << c.lines << "\n" << result.output;
    }
    Write("manifest.txt", "a Docs\\Read.me\n\na Docs\\Read.me base=system\na docs\\READ.ME\n");
    RunResult duplicate = RunPacker(PackTestPayload("out.z"));
    EXPECT_EQ(1, duplicate.status);
    EXPECT_NE(std::string::npos, duplicate.output.find("line 4: the target docs\\READ.ME is already written by line 1"))
        << duplicate.output;
    Write("manifest.txt", "a " + std::string(260, 'n') + "\n");
    EXPECT_NE(std::string::npos, RunPacker(PackTestPayload("out.z"))
                                     .output.find("longer than 259"));
    EXPECT_EQ(2, RunPacker("archive --no-uninstaller " + Path("manifest.txt")).status);
    RunResult noValue = RunPacker("archive --no-uninstaller " + Path("manifest.txt") + " -o");
    EXPECT_EQ(2, noValue.status);
    EXPECT_NE(std::string::npos, noValue.output.find("arbolix-pack archive: -o needs a value")) << noValue.output;

    Write("manifest.txt", "a b\n");
    for (const char* epoch : {"17000000000000000000", "1700000000000", "-1", "12ab"}) {
        RunResult result = RunPacker(PackTestPayload("out.z"), epoch);
        EXPECT_EQ(1, result.status) << epoch;
        EXPECT_NE(std::string::npos, result.output.find(std::string("SOURCE_DATE_EPOCH=") + epoch + " is not a number"))
            << result.output;
    }
    EXPECT_NE(0, access(Path("out.z").c_str(), F_OK));  // no refusal left an output

    // The uninstall log's name elsewhere, and '~' other than before the extension or the end.
    Write("manifest.txt", "a Uninstall.cfg base=system\na Logs\\Uninstall.cfg\na a~b.txt\na x~.txt\n"
                          "a ~1x.txt\na A~1.tar.gz\na a.~1\n");
    RunResult accepted = RunPacker(PackTestPayload("out.z"));
    EXPECT_EQ(0, accepted.status) << accepted.output;

    // Only an unquoted '#' starts a comment, and a comment is not read for quotes.
    Write("#n.txt", "hash");
    Write("manifest.txt", "# the \"main program\n\"#n.txt\" \"#n.txt\"\n");
    ASSERT_EQ(0, RunPacker(PackTestPayload("out.z")).status);
    std::vector<ReadEntry> entries;
    ASSERT_TRUE(ReadArchive(Read("out.z"), &entries));
    ASSERT_EQ(1u, entries.size());
    EXPECT_EQ("#n.txt", entries[0].name);
}

TEST_F(PackerTest, ListShowsEveryFieldOfTheDirectory)
{
    Write("app.exe", std::string(20000, 'A'));
    Write("tree.abx", "<family/>");
    Write("manifest.txt",
          "app.exe Arbolix.exe\n"
          "tree.abx \"SampleFiles\\The Oakridges.abx\" storage=stored attributes=0x20\n"
          "- InstallMfcDLL.exe flags=VersionGated,LogForUninstall,0x100 base=system version=6.2.8430.1\n");
    ASSERT_EQ(0, RunPacker(PackTestPayload("out.z"), "1700000000").status);
    RunResult listed = RunPacker("list " + Path("out.z"));
    ASSERT_EQ(0, listed.status) << listed.output;
    std::vector<ReadEntry> entries;
    ASSERT_TRUE(ReadArchive(Read("out.z"), &entries));
    // The flags column is as wide as the widest flags, here 52 characters.
    auto row = [](const char* flags, const char* rest) {
        char text[512];
        snprintf(text, sizeof text, "%-52s  %s\n", flags, rest);
        return std::string(text);
    };
    const char* times = "2023-11-14 22:13:20  2023-11-14 22:13:20  2023-11-14 22:13:20";
    char rest[256];
    snprintf(rest, sizeof rest, "0x00002820       20000  %10u  zlib    %s  -                Arbolix.exe",
             entries[0].entry.storedSize, times);
    EXPECT_NE(std::string::npos, listed.output.find(row("LogForUninstall", rest))) << listed.output;
    snprintf(rest, sizeof rest, "0x00000020           9           9  stored  %s  -                "
             "SampleFiles\\The Oakridges.abx", times);
    EXPECT_NE(std::string::npos, listed.output.find(row("LogForUninstall", rest))) << listed.output;
    snprintf(rest, sizeof rest, "0x00002820           0           0  stored  %s  6.2.8430.1       "
             "InstallMfcDLL.exe", times);
    EXPECT_NE(std::string::npos,
              listed.output.find(row("LogForUninstall,InSystemDirectory,VersionGated,0x100", rest)))
        << listed.output;
    EXPECT_NE(std::string::npos, listed.output.find("3 entries")) << listed.output;
    EXPECT_NE(std::string::npos, listed.output.find("Directory: ")) << listed.output;
}

TEST_F(PackerTest, VerifyNamesTheFaultyEntry)
{
    std::vector<PackEntry> entries(3);
    const char* names[] = {"Arbolix.exe", "Uninstall.exe", "SampleFiles\\Smith.abx"};
    for (int i = 0; i < 3; ++i) {
        entries[i].flags = kLogForUninstall;
        entries[i].name = names[i];
        entries[i].data = TextBytes(std::string(5000, (char)('a' + i)) + "end");
    }
    Bytes good = BuildArchive(entries);
    Write("good.z", good);
    RunResult ok = RunPacker("verify " + Path("good.z"));
    EXPECT_EQ(0, ok.status);
    EXPECT_NE(std::string::npos, ok.output.find("OK, 3 entries, 15009 bytes unpacked")) << ok.output;

    struct Fault {
        const char* what;
        Bytes stored;
        uint32_t size;
        const char* message;
    };
    Bytes stream = DeflateStream(entries[1].data, StreamWrapper::Zlib);
    Bytes corrupt = stream;
    corrupt[corrupt.size() / 2] ^= 0xFF;
    corrupt[corrupt.size() / 2 + 1] ^= 0xFF;
    Bytes cut(stream.begin(), stream.end() - 6);
    Fault faults[] = {
        {"corrupt", corrupt, 5003, "entry 2 \"Uninstall.exe\": its stream is corrupt or cut short"},
        {"cut short", cut, 5003, "entry 2 \"Uninstall.exe\": its stream is corrupt or cut short"},
        {"too long", stream, 5002, "entry 2 \"Uninstall.exe\": its stream inflates to more than its 5002 bytes"},
        {"too short", stream, 5004, "entry 2 \"Uninstall.exe\": its stream inflates to 5003 bytes instead of 5004"},
        {"impossible", cut, 0xFFFFFF00, " stored bytes cannot inflate to 4294967040 bytes"},
    };
    for (const Fault& fault : faults) {
        std::vector<PackEntry> damaged = entries;
        damaged[1].storage = PieceStorage::Verbatim;
        damaged[1].data = fault.stored;
        damaged[1].verbatimSize = fault.size;
        Write("bad.z", BuildArchive(damaged));
        RunResult result = RunPacker("verify " + Path("bad.z"));
        EXPECT_EQ(1, result.status) << fault.what;
        EXPECT_NE(std::string::npos, result.output.find(fault.message)) << fault.what << "\n" << result.output;
    }

    Bytes cutArchive(good.begin(), good.end() - 8);
    Write("cut.z", cutArchive);
    RunResult cutResult = RunPacker("verify " + Path("cut.z"));
    EXPECT_EQ(1, cutResult.status);
    EXPECT_NE(std::string::npos, cutResult.output.find("entry 3 \"SampleFiles\\Smith.abx\": its "))
        << cutResult.output;
    EXPECT_NE(std::string::npos, cutResult.output.find("stored bytes run past the end of the archive"));
    EXPECT_EQ(1, RunPacker("list " + Path("cut.z")).status);

    PackOptions noMarker;
    noMarker.endMarker = false;
    Write("nomarker.z", BuildArchive(entries, noMarker));
    RunResult markerResult = RunPacker("verify " + Path("nomarker.z"));
    EXPECT_EQ(1, markerResult.status);
    EXPECT_NE(std::string::npos, markerResult.output.find("the directory has no end marker")) << markerResult.output;

    RunResult absent = RunPacker("verify " + Path("absent.z"));
    EXPECT_EQ(1, absent.status);
    EXPECT_NE(std::string::npos, absent.output.find("cannot read " + Path("absent.z") + ": no such file or folder"));

    // Names the setup program would refuse or write twice, made by hand.
    struct BadName {
        std::vector<const char*> names;
        const char* message;
    } badNames[] = {
        {{"a.txt", "..\\evil.txt"}, "entry 2 \"..\\evil.txt\": the target name must be relative"},
        {{"AUX.txt"}, "entry 1 \"AUX.txt\": the target name must not be, or hold a folder named as, a device"},
        {{"a.txt", "A.TXT"}, "entry 2 \"A.TXT\": the target A.TXT is already written by entry 1 \"a.txt\""},
    };
    for (const BadName& bad : badNames) {
        std::vector<PackEntry> named;
        for (const char* name : bad.names) {
            named.push_back(entries[0]);
            named.back().name = name;
        }
        Write("named.z", BuildArchive(named));
        RunResult result = RunPacker("verify " + Path("named.z"));
        EXPECT_EQ(1, result.status) << bad.message;
        EXPECT_NE(std::string::npos, result.output.find(bad.message)) << result.output;
    }

    // An executable is verified only when it is a setup program, which may carry no payload.
    Bytes license = TextBytes(std::string("\xF9\xFF\xFF\xFF", 4) + "license");  // stored, 7 characters
    struct Program {
        Bytes image;
        int status;
        const char* message;
    } programs[] = {
        {MakeImage("Z", license, good), 0, ": OK, a setup program, 3 entries, 15009 bytes unpacked"},
        {MakeImage("Z", license, good, 109), 0, ": OK, a setup program without a payload archive"},
        {MakeImage("Y", license, good), 1, ": a Windows executable but not a setup program"},
    };
    for (const Program& program : programs) {
        Write("setup.exe", program.image);
        RunResult result = RunPacker("verify " + Path("setup.exe"));
        EXPECT_EQ(program.status, result.status) << program.message;
        EXPECT_NE(std::string::npos, result.output.find(Path("setup.exe") + program.message)) << result.output;
    }
}

// Every failure leaves the earlier output as it was and nothing beside it; the
// writes that fail half-way are made so by a file size limit of 512 bytes.
TEST_F(PackerTest, FailuresLeaveTheEarlierOutputWhole)
{
    std::mt19937 random(7);
    Bytes noise(5000);
    for (unsigned char& byte : noise) byte = (unsigned char)random();
    Write("noise", noise);
    Write("manifest.txt", "noise noise.bin storage=stored\n");
    Bytes image = MakeImage("Z", TextBytes("license"), TextBytes("archive"));
    Write("setup.exe", image);
    chmod(Path("setup.exe").c_str(), 0755);
    const char* limit = "ulimit -f 1; trap '' XFSZ; ";
    const std::string manifest = Path("manifest.txt"), pack = "archive --no-uninstaller " + manifest;
    struct Case {
        const char* before;
        std::string arguments;
        std::string kept;     // the file that must be unchanged
        std::string message;
    } cases[] = {
        {limit, PackTestPayload("out.z"), "out.z", "cannot write " + Path("out.z") + ": "},
        {limit, "text --stored " + Path("noise") + " -o " + Path("license.z"), "license.z", "cannot write "},
        {limit, "align-resources " + Path("setup.exe"), "setup.exe", "cannot write " + Path("setup.exe")},
        {"", PackTestPayload("out.z") + " --depfile " + Path("noise/out.d"), "out.z",
         "cannot write " + Path("noise/out.d") + ": a part of its path is not a folder"},
        {"", pack + " -o " + manifest, "manifest.txt", "it is the input " + manifest},
        {"", PackTestPayload("noise"), "noise", "it is the input "},
        {"", pack + " -o " + folder, "out.z", "cannot write " + folder + ": it is a folder"},
        {"", "text " + Path("noise") + " -o " + Path("noise"), "noise", "it is the input " + Path("noise")},
        {"", "checksum " + Path("noise") + " -o " + Path("noise"), "noise", "it is the input " + Path("noise")},
    };
    for (const Case& c : cases) {
        Write("out.z", "earlier");
        Write("license.z", "earlier");
        Bytes kept = Read(c.kept);
        RunResult result = RunPacker(c.arguments, nullptr, c.before);
        EXPECT_EQ(1, result.status) << c.arguments;
        EXPECT_NE(std::string::npos, result.output.find(c.message)) << c.arguments << "\n" << result.output;
        EXPECT_EQ(kept, Read(c.kept)) << c.arguments;
        EXPECT_EQ("license.z manifest.txt noise out.z setup.exe", Listing()) << c.arguments;
    }
    // Replaced whole, the program keeps its permissions.
    ASSERT_EQ(0, RunPacker("align-resources " + Path("setup.exe")).status);
    struct stat status;
    ASSERT_EQ(0, stat(Path("setup.exe").c_str(), &status));
    EXPECT_EQ(0755u, status.st_mode & 0777);
    EXPECT_NE(image, Read("setup.exe"));
}

// A UTF-8 manifest's names go into the archive in Windows-1252; any other manifest
// is read as Windows-1252 already.
TEST_F(PackerTest, Utf8ManifestNamesBecomeWindows1252)
{
    Write("a", "data");
    struct Case {
        std::string manifest;
        std::string name;
    } cases[] = {
        {"a caf\xC3\xA9.txt\n", "caf\xE9.txt"},
        {"\xEF\xBB\xBF" "a \"\xC5\x92uvre \xE2\x80\x93 \xC2\xBD \xE2\x82\xAC.txt\"\n", "\x8Cuvre \x96 \xBD \x80.txt"},
        {"a caf\xE9.txt\n", "caf\xE9.txt"},
        {"a \xC3\xA9t\xE9.txt\n", "\xC3\xA9t\xE9.txt"},
    };
    for (const Case& c : cases) {
        Write("manifest.txt", c.manifest);
        ASSERT_EQ(0, RunPacker(PackTestPayload("out.z")).status) << c.manifest;
        std::vector<ReadEntry> entries;
        ASSERT_TRUE(ReadArchive(Read("out.z"), &entries));
        ASSERT_EQ(1u, entries.size());
        EXPECT_EQ(c.name, entries[0].name);
    }
    Write("manifest.txt", "\xEF\xBB\xBF" "a b\na caf\xE9.txt\n");
    EXPECT_NE(std::string::npos, RunPacker(PackTestPayload("out.z"))
                                     .output.find("line 2: the manifest starts with a UTF-8 byte order mark, but "
                                                  "this line is not UTF-8"));
    // Every character of the code page comes back from its UTF-8 form, and its upper
    // case is Unicode's where the code page has that form.
    ASSERT_TRUE(setlocale(LC_CTYPE, "C.UTF-8"));
    for (int byte = 1; byte < 256; ++byte) {
        uint32_t code = Windows1252ToUnicode((unsigned char)byte);
        mbstate_t state = {};
        char utf8[8] = {};
        std::string converted;
        uint32_t unmappable = 0;
        ASSERT_NE((size_t)-1, wcrtomb(utf8, (wchar_t)code, &state));
        ASSERT_TRUE(Utf8ToWindows1252(utf8, &converted, &unmappable)) << byte;
        EXPECT_EQ(std::string(1, (char)byte), converted);
        unsigned char upper = (unsigned char)byte;
        for (int other = 1; other < 256; ++other)
            if (Windows1252ToUnicode((unsigned char)other) == (uint32_t)towupper((wint_t)code))
                upper = (unsigned char)other;
        EXPECT_EQ(upper, UpperCase1252((unsigned char)byte)) << byte;
    }
    std::string converted;
    uint32_t unmappable = 0;
    EXPECT_FALSE(Utf8ToWindows1252("\xC2\x80", &converted, &unmappable));
    EXPECT_EQ(0x80u, unmappable);
    EXPECT_FALSE(IsUtf8("\xC0\xAF"));          // overlong
    EXPECT_FALSE(IsUtf8("\xED\xA0\x80"));      // surrogate
    EXPECT_FALSE(IsUtf8("\xF4\x90\x80\x80"));  // past U+10FFFF
}

// The license is deflated only when that makes the resource smaller.
TEST_F(PackerTest, TextIsStoredWhenDeflatingDoesNotShrinkIt)
{
    std::mt19937 random(3);
    std::string noise(300, ' ');
    for (char& c : noise) c = (char)random();
    struct Case {
        std::string text;
        const char* options;
        int32_t firstWord;  // the length, negative when stored
    } cases[] = {
        {noise, "", -300}, {noise, "--gzip", -300}, {std::string(300, 'a'), "", 300}, {"", "", 0},
    };
    for (const Case& c : cases) {
        Write("license.txt", c.text);
        ASSERT_EQ(0, RunPacker(std::string("text ") + c.options + " " + Path("license.txt") + " -o " + Path("l.z")).status);
        Bytes resource = Read("l.z");
        ASSERT_GE(resource.size(), 4u);
        EXPECT_EQ(c.firstWord, (int32_t)ReadWord32(resource.data())) << c.options;
        EXPECT_EQ(c.firstWord > 0 ? 8 + ReadWord32(resource.data() + 4) : 4 + c.text.size(), resource.size());
    }
}

TEST_F(PackerTest, EveryCommandAnswersHelp)
{
    for (const char* command : {"text", "archive", "checksum", "list", "verify", "align-resources", "uninstaller"}) {
        RunResult help = RunPacker(std::string(command) + " --help 2>/dev/null");
        EXPECT_EQ(0, help.status) << command;
        EXPECT_EQ(0u, help.output.find(std::string("usage: arbolix-pack ") + command)) << help.output;
        RunResult listed = RunPacker("--help 2>/dev/null");
        EXPECT_EQ(0, listed.status);
        EXPECT_NE(std::string::npos, listed.output.find(std::string("  arbolix-pack ") + command + " ")) << listed.output;
    }
    RunResult manifest = RunPacker("help manifest 2>/dev/null");
    EXPECT_EQ(0, manifest.status);
    EXPECT_NE(std::string::npos, manifest.output.find("  attributes=NUMBER ")) << manifest.output;
    EXPECT_EQ(2, RunPacker("help nothing").status);
    EXPECT_EQ(2, RunPacker("").status);
}

// The uninstaller is copied out to be signed, and the signed copy is packed in its
// place; the depfile still names the manifest's own. A manifest without one (in
// the install folder) cannot have its uninstaller signed.
TEST_F(PackerTest, UninstallerIsCopiedForSigningAndPackedInItsPlace)
{
    Write("Uninstall.exe", "the uninstaller");
    Write("readme.txt", "notes");
    Write("manifest.txt", "Uninstall.exe uninstall.EXE\nreadme.txt readme.txt\n");
    std::string manifest = Path("manifest.txt");
    ASSERT_EQ(0, RunPacker("uninstaller " + manifest + " -o " + Path("copy.exe")).status);
    EXPECT_EQ(TextBytes("the uninstaller"), Read("copy.exe"));
    Write("copy.exe", "the uninstaller, signed");
    RunResult packed = RunPacker("archive --uninstaller " + Path("copy.exe") + " " + manifest + " -o " + Path("out.z")
                                 + " --depfile " + Path("out.d"));
    ASSERT_EQ(0, packed.status) << packed.output;
    std::vector<ReadEntry> entries;
    ASSERT_TRUE(ReadArchive(Read("out.z"), &entries));
    ASSERT_EQ(2u, entries.size());
    EXPECT_EQ("uninstall.EXE", entries[0].name);
    EXPECT_EQ(TextBytes("the uninstaller, signed"), entries[0].content);
    Bytes depfile = Read("out.d");
    std::string dependencies(depfile.begin(), depfile.end());
    EXPECT_NE(std::string::npos, dependencies.find(Path("Uninstall.exe") + " ")) << dependencies;
    EXPECT_EQ(std::string::npos, dependencies.find("copy.exe")) << dependencies;

    for (const char* without : {"readme.txt readme.txt\n", "readme.txt Uninstall.exe base=system\n",
                                "readme.txt Tools\\Uninstall.exe\n", "- Uninstall.exe flags=VersionGated version=1.0.0.0\n"}) {
        Write("manifest.txt", without);
        RunResult copied = RunPacker("uninstaller " + manifest + " -o " + Path("other.exe"));
        EXPECT_EQ(1, copied.status) << without;
        EXPECT_EQ("arbolix-pack uninstaller: " + manifest + ": no entry installs Uninstall.exe into the install folder\n",
                  copied.output);
        RunResult archived = RunPacker("archive --uninstaller " + Path("copy.exe") + " " + manifest + " -o " + Path("x.z"));
        EXPECT_EQ(1, archived.status) << without;
        EXPECT_NE(std::string::npos, archived.output.find("--uninstaller is given, but no entry installs Uninstall.exe"))
            << archived.output;
    }
    EXPECT_EQ("Uninstall.exe copy.exe manifest.txt out.d out.z readme.txt", Listing());
}

// A payload installs the uninstaller setup registers: one the manifest lacks is
// refused, added by --default-uninstaller, or let go for a test by --no-uninstaller.
TEST_F(PackerTest, PayloadWithoutTheUninstallerIsRefusedUnlessOneIsAddedOrItIsATest)
{
    Write("readme.txt", "notes");
    Write("own.exe", "the project's uninstaller");
    std::string manifest = Path("manifest.txt"), own = Path("own.exe");
    Write("manifest.txt", "readme.txt readme.txt\n");
    std::string pack = " " + manifest + " -o " + Path("out.z");
    RunResult refused = RunPacker("archive" + pack);
    EXPECT_EQ(1, refused.status);
    EXPECT_EQ("arbolix-pack archive: " + manifest + ": no entry installs Uninstall.exe into the install folder, "
              "which setup registers as the uninstaller (--no-uninstaller packs such a payload, for tests)\n",
              refused.output);
    EXPECT_EQ("manifest.txt own.exe readme.txt", Listing());
    EXPECT_EQ(2, RunPacker("archive --no-uninstaller --default-uninstaller " + own + pack).status);
    EXPECT_EQ(2, RunPacker("archive --no-uninstaller --uninstaller " + own + pack).status);

    RunResult added = RunPacker("archive --default-uninstaller " + own + pack + " --depfile " + Path("out.d"));
    ASSERT_EQ(0, added.status) << added.output;
    EXPECT_EQ("arbolix-pack archive: " + manifest + " installs no Uninstall.exe: " + own
              + " is added as its last entry\n", added.output);
    std::vector<ReadEntry> entries;
    ASSERT_TRUE(ReadArchive(Read("out.z"), &entries));
    ASSERT_EQ(2u, entries.size());
    EXPECT_EQ("Uninstall.exe", entries[1].name);
    EXPECT_EQ(kLogForUninstall, entries[1].entry.flags);
    EXPECT_EQ(TextBytes("the project's uninstaller"), entries[1].content);
    Bytes depfile = Read("out.d");
    EXPECT_NE(std::string::npos, std::string(depfile.begin(), depfile.end()).find(own + "\n")) << own;
    ASSERT_EQ(0, RunPacker("uninstaller --default-uninstaller " + own + " " + manifest + " -o " + Path("copy.exe"))
                     .status);
    EXPECT_EQ(TextBytes("the project's uninstaller"), Read("copy.exe"));

    // The manifest's own is kept, one in the system directory is another file, and an
    // entry in the default one's way is a fault.
    struct Case {
        const char* manifest;
        int status;
        const char* output;  // of archive --default-uninstaller, after the manifest's path
    } cases[] = {
        {"readme.txt Uninstall.exe\n", 0, ""},
        {"readme.txt Uninstall.exe base=system\n", 0, " installs no Uninstall.exe: OWN is added as its last entry\n"},
        {"readme.txt Uninstall.exe\\x.txt\n", 1,
         ": cannot add OWN as the uninstaller: the target Uninstall.exe is a folder of what line 1 writes\n"},
        {"- Uninstall.exe flags=VersionGated version=1.0.0.0\n", 1,
         ": cannot add OWN as the uninstaller: the target Uninstall.exe is already written by line 1\n"},
    };
    for (const Case& c : cases) {
        Write("manifest.txt", c.manifest);
        RunResult result = RunPacker("archive --default-uninstaller " + own + pack);
        std::string expected = *c.output ? "arbolix-pack archive: " + manifest + c.output : "";
        size_t at = expected.find("OWN");
        if (at != std::string::npos) expected.replace(at, 3, own);
        EXPECT_EQ(c.status, result.status) << c.manifest;
        EXPECT_EQ(expected, result.output) << c.manifest;
    }
}

// Packing tells how far it is on a terminal (script gives it one), one line rewritten
// after each file, and nothing when standard error is not a terminal.
TEST_F(PackerTest, ArchiveShowsProgressOnlyOnATerminal)
{
    Write("big.txt", std::string(1500000, 'a'));
    Write("small.txt", "b");
    Write("manifest.txt", "big.txt big.txt\nsmall.txt small.txt\n");
    std::string archive = PackTestPayload("out.z");
    RunResult quiet = RunPacker(archive);
    EXPECT_EQ(0, quiet.status);
    EXPECT_EQ("", quiet.output);
    RunResult shown = RunShell("script -qec 'env -u SOURCE_DATE_EPOCH " + std::string(PACKER) + " " + archive
                               + "' /dev/null");
    EXPECT_EQ(0, shown.status);
    EXPECT_EQ("\rarbolix-pack archive: 0 of 2 files, 0.0 of 1.5 MB"
              "\rarbolix-pack archive: 1 of 2 files, 1.5 of 1.5 MB"
              "\rarbolix-pack archive: 2 of 2 files, 1.5 of 1.5 MB\r\n",
              shown.output);
}

// Verify says which programs of the archive are signed, and a program whose signature
// no longer covers it is a fault of its entry.
TEST_F(PackerTest, VerifySaysWhichProgramsAreSigned)
{
    Bytes program = MakeImage("Z", TextBytes("license"), TextBytes("archive"));
    std::vector<PackEntry> entries(3);
    entries[0].name = "Arbolix.exe";
    entries[0].data = program;
    entries[1].name = "Uninstall.exe";
    entries[1].data = SignedImage(program);
    ASSERT_FALSE(entries[1].data.empty());
    entries[2].name = "readme.txt";
    entries[2].data = TextBytes("MZ, but not a program");
    for (PackEntry& entry : entries) {
        entry.flags = kLogForUninstall;
        entry.storage = PieceStorage::Stored;
    }
    Write("signed.z", BuildArchive(entries));
    RunResult verified = RunPacker("verify " + Path("signed.z"));
    EXPECT_EQ(0, verified.status);
    EXPECT_NE(std::string::npos, verified.output.find("entry 1 \"Arbolix.exe\": a program, not signed\n"
                                                      "entry 2 \"Uninstall.exe\": a program, signed by "
                                                      "\"CN=Arbolix Test\", sha256 digest "))
        << verified.output;
    EXPECT_EQ(std::string::npos, verified.output.find("readme.txt")) << verified.output;

    entries[1].data[kSectionFile + 0x10] ^= 0x01;
    Write("changed.z", BuildArchive(entries));
    RunResult changed = RunPacker("verify " + Path("changed.z"));
    EXPECT_EQ(1, changed.status);
    EXPECT_NE(std::string::npos, changed.output.find("changed.z: entry 2 \"Uninstall.exe\": the signature does not "
                                                     "cover the file as it is: its sha256 digest is "))
        << changed.output;
}

// The checksum resource is the CRC-32 of the archive's bytes, little-endian.
TEST_F(PackerTest, ChecksumIsTheArchivesCrc32)
{
    Write("payload.z", "123456789");  // CRC-32's check value, 0xCBF43926
    RunResult made = RunPacker("checksum " + Path("payload.z") + " -o " + Path("payload.crc"));
    EXPECT_EQ(0, made.status);
    EXPECT_EQ("", made.output);
    EXPECT_EQ((Bytes{0x26, 0x39, 0xF4, 0xCB}), Read("payload.crc"));

    Write("setup.exe", MakeImage("Z", TextBytes("license"), TextBytes("archive")));
    RunResult program = RunPacker("checksum " + Path("setup.exe") + " -o " + Path("setup.crc"));
    EXPECT_EQ(1, program.status);
    EXPECT_EQ("arbolix-pack checksum: " + Path("setup.exe") + " is a Windows executable, not a payload archive\n",
              program.output);
    EXPECT_EQ(2, RunPacker("checksum " + Path("payload.z")).status);
    EXPECT_EQ("payload.crc payload.z setup.exe", Listing());
}

// list shows how a setup program's checksum stands to its archive; verify fails
// when it is not the archive's, and goes on without one.
TEST_F(PackerTest, ListAndVerifyCompareTheChecksumWithTheArchive)
{
    std::vector<PackEntry> entries(1);
    entries[0].flags = kLogForUninstall;
    entries[0].name = "Uninstall.exe";
    entries[0].data = TextBytes("the uninstaller");
    Bytes archive = BuildArchive(entries);
    Bytes license = TextBytes(std::string("\xF9\xFF\xFF\xFF", 4) + "license");  // stored, 7 characters
    uint32_t crc = (uint32_t)crc32(0, archive.data(), (uInt)archive.size());
    char text[16];
    snprintf(text, sizeof text, "0x%08X", crc);
    const std::string right = text;
    snprintf(text, sizeof text, "0x%08X", crc ^ 1);
    const std::string wrong = text;
    Bytes stored(4), changed(4);
    WriteWord32(stored.data(), crc);
    WriteWord32(changed.data(), crc ^ 1);
    struct Case {
        std::vector<ImageResource> resources;
        std::string listed;   // a line of list
        int status;
        std::string verdict;  // a line of verify, after the program's path
    } cases[] = {
        {{{107, license}, {110, archive}, {111, stored}},
         "Payload checksum: resource Z/111, CRC-32 " + right + ", matches the archive", 0,
         ": payload checksum CRC-32 " + right + ", matches the archive"},
        {{{107, license}, {110, archive}, {111, changed}},
         "Payload checksum: resource Z/111, CRC-32 " + wrong + ", does not match the archive (its CRC-32 is "
             + right + ")", 1,
         ": the payload checksum (resource Z/111) is CRC-32 " + wrong + ", but the archive's is " + right
             + ": the archive is not the one that was packed"},
        {{{107, license}, {110, archive}, {111, TextBytes("12345")}},
         "Payload checksum: resource Z/111, malformed (5 bytes, not 4)", 1,
         ": the payload checksum (resource Z/111) has 5 bytes, not 4"},
        {{{107, license}, {110, archive}}, "Payload checksum: none (no resource Z/111)", 0,
         ": no payload checksum (no resource Z/111)"},
        {{{107, license}, {111, stored}}, "Payload checksum: resource Z/111, CRC-32 " + right + ", without an archive",
         1, ": a payload checksum (resource Z/111) without a payload archive (resource Z/110)"},
    };
    for (const Case& c : cases) {
        Write("setup.exe", MakeImage("Z", c.resources));
        RunResult listed = RunPacker("list " + Path("setup.exe"));
        EXPECT_EQ(0, listed.status) << c.listed;
        EXPECT_NE(std::string::npos, listed.output.find("\n" + c.listed + "\n")) << listed.output;
        RunResult verified = RunPacker("verify " + Path("setup.exe"));
        EXPECT_EQ(c.status, verified.status) << c.verdict;
        EXPECT_NE(std::string::npos, verified.output.find(Path("setup.exe") + c.verdict + "\n")) << verified.output;
    }
}

// The 32-bit program, with its payload, must fit in a 32-bit process's address
// space: 1 GiB of archive at most; the 64-bit one holds what the format does.
TEST(ArchiveLimits, EachArchitectureHoldsUpToItsLimit)
{
    const std::string x86 = "a 32-bit setup program holds at most 1 GiB, since the whole program must fit in a "
                            "32-bit process's address space (build the x64 program for more)";
    const std::string x64 = "the archive format holds at most 4294967295 bytes (4 GiB less one byte), since its "
                            "sizes and the resource's are 32-bit";
    struct Case {
        uint64_t size;
        TargetArch arch;
        std::string problem;
    } cases[] = {
        {1073741823, TargetArch::X86, ""},     {1073741824, TargetArch::X86, ""},
        {1073741825, TargetArch::X86, x86},    {1073741825, TargetArch::X64, ""},
        {4294967295, TargetArch::X64, ""},     {4294967296, TargetArch::X64, x64},
        {4294967296, TargetArch::X86, x86},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.problem, ArchiveSizeProblem(c.size, c.arch)) << c.size;
    EXPECT_EQ("1.2 GiB (1288490188 bytes)", ArchiveSizeText(1288490188));
}

// Too large for the shipping program, a payload is refused from the sizes alone:
// sparse files of 1.1 GiB are never read.
TEST_F(PackerTest, ArchiveTooLargeForThe32BitProgramIsRefusedBeforeReading)
{
    const std::string limit = "; a 32-bit setup program holds at most 1 GiB, since the whole program must fit in a "
                              "32-bit process's address space (build the x64 program for more)\n";
    Write("big.bin", "");
    ASSERT_EQ(0, truncate(Path("big.bin").c_str(), 1100ll << 20));
    Write("manifest.txt", "big.bin big.bin storage=stored\n");
    RunResult packed = RunPacker(PackTestPayload("out.z"));
    EXPECT_EQ(1, packed.status);
    EXPECT_EQ("arbolix-pack archive: " + Path("out.z") + ": the payload archive would be at least 1.1 GiB "
              "(1153433608 bytes) with its stored pieces alone" + limit, packed.output);
    EXPECT_EQ(2, RunPacker(PackTestPayload("out.z") + " --arch x32").status);

    RunResult verified = RunPacker("verify " + Path("big.bin"));
    EXPECT_EQ(1, verified.status);
    EXPECT_EQ("arbolix-pack verify: " + Path("big.bin") + ": the payload archive is 1.1 GiB (1153433600 bytes)" + limit,
              verified.output);
    EXPECT_EQ(2, RunPacker("verify --arch " + Path("big.bin")).status);
    EXPECT_EQ("big.bin manifest.txt", Listing());
}

TEST(FileTimes, DatesConvertBothWays)
{
    uint64_t time;
    ASSERT_TRUE(ParseFileTime("1601-01-01T00:00:00Z", &time));
    EXPECT_EQ(0u, time);
    ASSERT_TRUE(ParseFileTime("2000-02-29 23:59:59", &time));
    EXPECT_EQ("2000-02-29 23:59:59", FormatFileTime(time));
    EXPECT_EQ(FileTimeFromUnix(951868799), time);
    EXPECT_FALSE(ParseFileTime("1900-02-29T00:00:00Z", &time));
    EXPECT_FALSE(ParseFileTime("2001-01-01T00:00:00+01", &time));
    EXPECT_FALSE(ParseFileTime("0x", &time));
    EXPECT_FALSE(ParseFileTime("0x11112222333344445", &time));
    ASSERT_TRUE(ParseFileTime("0x01C7665F2A8B3C00", &time));
    EXPECT_EQ(0x01C7665F2A8B3C00ULL, time);
    EXPECT_EQ("1970-01-01 00:00:00", FormatFileTime(FileTimeFromUnix(0)));
    // The ends of the range, each way of writing a time.
    ASSERT_TRUE(ParseFileTime("@253402300799", &time));
    EXPECT_EQ("9999-12-31 23:59:59", FormatFileTime(time));
    EXPECT_FALSE(ParseFileTime("@253402300800", &time));
    ASSERT_TRUE(ParseFileTime("@-11644473600", &time));
    EXPECT_EQ(0u, time);
    ASSERT_TRUE(ParseFileTime("9999-12-31T23:59:59Z", &time));
    ASSERT_TRUE(ParseFileTime("0x7FFFFFFFFFFFFFFF", &time));
    EXPECT_EQ(0x7FFFFFFFFFFFFFFFULL, time);
}
