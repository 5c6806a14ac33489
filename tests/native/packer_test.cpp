// The packer as the release engineer runs it: manifests in, archives out, and
// list and verify over the result.
#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <random>
#include <string>
#include <vector>

#include "payload/archive_format.h"
#include "payload/archive_reader.h"
#include "payload/decompress.h"
#include "payload/little_endian.h"
#include "tools/pack/archive_writer.h"
#include "tools/pack/file_io.h"
#include "tools/pack/file_times.h"
#include "tools/pack/manifest.h"

struct RunResult {
    int status;
    std::string output;  // stdout and stderr together
};

static RunResult RunPacker(const std::string& arguments, const char* epoch = nullptr)
{
    std::string command = epoch ? std::string("SOURCE_DATE_EPOCH=") + epoch + " " : "env -u SOURCE_DATE_EPOCH ";
    command += std::string(PACKER) + " " + arguments + " 2>&1";
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

class PackerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/arbolix-packer-XXXXXX";
        folder = mkdtemp(pattern);
    }
    void TearDown() override { system(("rm -rf '" + folder + "'").c_str()); }

    std::string Path(const std::string& name) { return folder + "/" + name; }
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
        RunResult packed = RunPacker("archive '" + Path("manifest.txt") + "' -o '" + Path("out.z") + "'");
        ASSERT_EQ(0, packed.status) << packed.output << manifest;
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
    ASSERT_EQ(0, RunPacker("archive " + Path("manifest.txt") + " -o " + Path("one.z"), "1234567890").status);
    struct timespec times[2] = {{1000000000, 0}, {1000000000, 500}};
    ASSERT_EQ(0, utimensat(AT_FDCWD, Path("a.abx").c_str(), times, 0));
    ASSERT_EQ(0, RunPacker("archive " + Path("manifest.txt") + " -o " + Path("two.z"), "1234567890").status);
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
    ASSERT_EQ(0, RunPacker("archive " + Path("manifest.txt") + " -o " + Path("three.z")).status);
    entries.clear();
    ASSERT_TRUE(ReadArchive(Read("three.z"), &entries));
    EXPECT_EQ(FileTimeFromUnix(1000000000) + 5, Time(entries[0].entry.lastWriteTime));
    EXPECT_EQ(FileTimeFromUnix(1000000000) + 5, Time(entries[0].entry.creationTime));
}

TEST_F(PackerTest, BadManifestLinesAreRefusedWithTheirLineNumber)
{
    Write("a", "data");
    struct Case {
        const char* line;
        const char* message;
    } cases[] = {
        {"a", "line 2: expected a source and a target name"},
        {"a b storage=bzip2", "line 2: bad value for storage: 'bzip2'"},
        {"a b flags=0", "line 2: flags of 0 would end the directory"},
        {"a b flags=Sometimes", "line 2: bad value for flags: 'Sometimes'"},
        {"a b flags=VersionGated", "line 2: a VersionGated entry needs version=a.b.c.d"},
        {"a b version=1.2.3.4", "line 2: version= is only for VersionGated entries"},
        {"a b flags=VersionGated version=1.2.3", "line 2: bad value for version: '1.2.3'"},
        {"a b flags=VersionGated version=1.2.3.65536", "line 2: bad value for version: '1.2.3.65536'"},
        {"a b base=elsewhere", "line 2: bad value for base: 'elsewhere'"},
        {"a b flags=InSystemDirectory base=install", "line 2: base=install contradicts the flag InSystemDirectory"},
        {"a b size=4", "line 2: size= is only for storage=raw and for VersionGated entries without a source file"},
        {"- b size=4", "line 2: size= is only for storage=raw and for VersionGated entries without a source file"},
        {"- b storage=raw", "line 2: storage=raw needs a source file"},
        {"a b colour=red", "line 2: unknown key 'colour'"},
        {"a b loose", "line 2: expected key=value, not 'loose'"},
        {"a \"b c", "line 2: unclosed double quote"},
        {"a b created=2007-02-30T00:00:00Z", "line 2: bad value for created: '2007-02-30T00:00:00Z'"},
        {"a b times=yesterday", "line 2: bad value for times: 'yesterday'"},
        {"a b attributes=-1", "line 2: bad value for attributes: '-1'"},
        {"a C:\\b", "line 2: the target name must not hold a drive or a ':'"},
        {"a \\b", "line 2: the target name must be relative, without empty, '.' or '..' parts"},
        {"a b\\..\\..\\c", "line 2: the target name must be relative, without empty, '.' or '..' parts"},
        {"a b\\\\c", "line 2: the target name must be relative, without empty, '.' or '..' parts"},
        {"a b/c", "line 2: the target name must use '\\' as separator"},
        {"missing b", "line 2: cannot read "},
    };
    for (const Case& c : cases) {
        Write("manifest.txt", std::string("# first line\n") + c.line + "\n");
        RunResult result = RunPacker("archive " + Path("manifest.txt") + " -o " + Path("out.z"));
        EXPECT_EQ(1, result.status) << c.line;
        EXPECT_NE(std::string::npos, result.output.find(c.message)) << c.line << "\n" << result.output;
    }
    Write("manifest.txt", "a Docs\\Read.me\n\na Docs\\Read.me base=system\na docs\\READ.ME\n");
    RunResult duplicate = RunPacker("archive " + Path("manifest.txt") + " -o " + Path("out.z"));
    EXPECT_EQ(1, duplicate.status);
    EXPECT_NE(std::string::npos, duplicate.output.find("line 4: the target docs\\READ.ME is already written by line 1"))
        << duplicate.output;
    Write("manifest.txt", "a " + std::string(260, 'n') + "\n");
    EXPECT_NE(std::string::npos, RunPacker("archive " + Path("manifest.txt") + " -o " + Path("out.z"))
                                     .output.find("longer than 259"));
    EXPECT_EQ(2, RunPacker("archive " + Path("manifest.txt")).status);
}

TEST_F(PackerTest, ListShowsEveryFieldOfTheDirectory)
{
    Write("app.exe", std::string(20000, 'A'));
    Write("tree.abx", "<family/>");
    Write("manifest.txt",
          "app.exe Arbolix.exe\n"
          "tree.abx \"SampleFiles\\The Oakridges.abx\" storage=stored attributes=0x20\n"
          "- InstallMfcDLL.exe flags=VersionGated,LogForUninstall,0x100 base=system version=6.2.8430.1\n");
    ASSERT_EQ(0, RunPacker("archive " + Path("manifest.txt") + " -o " + Path("out.z"), "1700000000").status);
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

    EXPECT_EQ(1, RunPacker("verify " + Path("absent.z")).status);
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
}
