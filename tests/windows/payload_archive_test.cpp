// The payload archive as the setup program reads it from its own resources: the
// real setup program's default payload and the fixture setup programs.
#include <gtest/gtest.h>
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "payload/archive_format.h"
#include "payload/decompress.h"
#include "payload/module_resources.h"
#include "scripted_dialogs.h"
#include "state/setup_state.h"
#include "tools/pack/archive_writer.h"

static std::string ReadFile(const std::string& path)
{
    std::string bytes;
    FILE* file = fopen(path.c_str(), "rb");
    if (!file) return "<missing " + path + ">";
    int c;
    while ((c = fgetc(file)) != EOF) bytes.push_back((char)c);
    fclose(file);
    return bytes;
}

static uint64_t Time(const ArchiveTime& time)
{
    return (uint64_t)time.high << 32 | time.low;
}

static uint64_t UtcTime(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second)
{
    SYSTEMTIME system = {};
    system.wYear = year;
    system.wMonth = month;
    system.wDay = day;
    system.wHour = hour;
    system.wMinute = minute;
    system.wSecond = second;
    FILETIME file;
    SystemTimeToFileTime(&system, &file);
    return (uint64_t)file.dwHighDateTime << 32 | file.dwLowDateTime;
}

struct Entry {
    DirectoryEntry entry;
    std::string name;
    size_t nextEntryOffset;
};

class PayloadArchiveTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved = g_setup;
        ResetScriptedDialogs();
    }
    void TearDown() override
    {
        if (module) FreeLibrary(module);
        g_setup = saved;
    }
    void UseProgram(const char* path)
    {
        module = LoadLibraryExA(path, 0, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(nullptr, module) << path;
        g_setup.module = module;
    }
    // Opens the archive of the program in use and reads every entry.
    std::vector<Entry> ReadEntries()
    {
        std::vector<Entry> entries;
        int opened = OpenPayloadArchive(&reader);
        EXPECT_EQ(kArchiveOpened, opened);
        if (opened != kArchiveOpened) return entries;
        DirectoryEntry entry;
        while (NextArchiveEntry(&reader, &entry))
            entries.push_back({entry, entry.name, reader.entryOffset});
        return entries;
    }
    std::string UnpackEntry(const DirectoryEntry& entry)
    {
        std::string bytes(entry.size, '\0');
        if (!UnpackPiece(entry.data, entry.storedSize, (unsigned char*)&bytes[0], entry.size))
            return "<failed>";
        return bytes;
    }
    SetupState saved;
    HMODULE module = 0;
    ArchiveReader reader = {};
};

TEST_F(PayloadArchiveTest, DefaultPayloadHoldsTheElevenFilesOfItsSources)
{
    UseProgram(SETUP_EXE);
    std::vector<Entry> entries = ReadEntries();
    const char* samples[] = {"Oakridge.abx", "Thistlewood.abx", "Brannoch.abx", "Vellacott.abx", "Quist.abx",
                             "Marchbanks.abx", "Dunmore-Hale.abx", "Serravalle.abx", "Family Tree.jpg"};
    ASSERT_EQ(11u, entries.size());
    EXPECT_EQ("Arbolix.exe", entries[0].name);
    EXPECT_EQ("Uninstall.exe", entries[1].name);
    EXPECT_EQ(52u, entries[0].nextEntryOffset);
    EXPECT_EQ(108u, entries[1].nextEntryOffset);  // 13 characters: two bytes of padding
    EXPECT_EQ(ReadFile(std::string(PROGRAMS_DIR) + "\\Arbolix.exe"), UnpackEntry(entries[0].entry));
    EXPECT_EQ(ReadFile(std::string(PROGRAMS_DIR) + "\\Uninstall.exe"), UnpackEntry(entries[1].entry));
    EXPECT_LT(entries[0].entry.storedSize, entries[0].entry.size);
    for (size_t i = 0; i < 9; ++i) {
        const Entry& sample = entries[2 + i];
        EXPECT_EQ(std::string("SampleFiles\\") + samples[i], sample.name);
        std::string source = ReadFile(std::string(SAMPLES_DIR) + "\\" + samples[i]);
        EXPECT_EQ(source, UnpackEntry(sample.entry)) << samples[i];
        EXPECT_GE(source.size(), 1000u);
        EXPECT_LE(source.size(), 50u * 1024);
        if (i < 8) EXPECT_EQ(sample.entry.size, sample.entry.storedSize) << "documents are stored";
    }
    for (const Entry& entry : entries) {
        EXPECT_EQ((uint32_t)kLogForUninstall, entry.entry.flags) << entry.name;
        EXPECT_EQ(0x2820u, entry.entry.sourceAttributes) << entry.name;
    }
    EXPECT_TRUE(AskedMessages().empty());
    CloseArchive(&reader);
}

TEST_F(PayloadArchiveTest, ProgramWithoutPayloadFindsNoArchiveAndSaysNothing)
{
    UseProgram(FIXTURE_NOPAYLOAD_EXE);
    memset(&reader, 0xAB, sizeof reader);
    EXPECT_EQ(kArchiveAbsent, OpenPayloadArchive(&reader));
    EXPECT_EQ(nullptr, reader.directory);
    CloseArchive(&reader);
    g_setup.module = GetModuleHandleA(0);
    EXPECT_EQ(kArchiveAbsent, OpenPayloadArchive(&reader));
    EXPECT_TRUE(AskedMessages().empty());
}

TEST_F(PayloadArchiveTest, MalformedArchiveIsUnreadableAfterTheMessageEvenInSilentMode)
{
    g_setup.silent = 1;
    UseProgram(FIXTURE_TRUNCATED_EXE);
    EXPECT_EQ(kArchiveUnreadable, OpenPayloadArchive(&reader));
    EXPECT_EQ(nullptr, reader.directory);
    ASSERT_EQ(1u, AskedMessages().size());
    EXPECT_EQ("Unable to decompress data", AskedMessages()[0].text);
    EXPECT_EQ((UINT)(MB_OK | MB_ICONEXCLAMATION), AskedMessages()[0].type);
    EXPECT_EQ("Arbolix\xAE Setup", AskedMessages()[0].caption);
}

TEST_F(PayloadArchiveTest, CorruptPieceOpensAndFailsOnlyWhenItIsUnpacked)
{
    UseProgram(FIXTURE_CORRUPT_EXE);
    std::vector<Entry> entries = ReadEntries();
    ASSERT_EQ(3u, entries.size());
    EXPECT_TRUE(AskedMessages().empty());
    std::string hello = "Arbolix fixture file.\r\n";
    EXPECT_EQ(hello, UnpackEntry(entries[0].entry));
    EXPECT_EQ("broken.bin", entries[1].name);
    EXPECT_EQ(5000u, entries[1].entry.size);
    EXPECT_EQ("<failed>", UnpackEntry(entries[1].entry));
    // The reader has moved past the damaged piece's bytes to the next one.
    EXPECT_EQ(hello, UnpackEntry(entries[2].entry));
    CloseArchive(&reader);
}

TEST_F(PayloadArchiveTest, FixturePayloadsCarryWhatTheirManifestsSay)
{
    uint64_t fixtureTime = UtcTime(2001, 2, 3, 4, 5, 6);
    {
        UseProgram(FIXTURE_GATED_EXE);
        std::vector<Entry> entries = ReadEntries();
        ASSERT_EQ(2u, entries.size());
        EXPECT_EQ((uint32_t)(kLogForUninstall | kVersionGated), entries[0].entry.flags);
        EXPECT_EQ(99u << 16, entries[0].entry.minimumVersionMS);
        EXPECT_EQ(0u, entries[0].entry.minimumVersionLS);
        EXPECT_EQ(0u, entries[1].entry.minimumVersionMS);
        EXPECT_EQ(1u, entries[1].entry.minimumVersionLS);
        EXPECT_EQ(fixtureTime, Time(entries[0].entry.lastWriteTime));
        CloseArchive(&reader);
        FreeLibrary(module);
    }
    {
        UseProgram(FIXTURE_PREREQUISITE_EXE);
        std::vector<Entry> entries = ReadEntries();
        ASSERT_EQ(3u, entries.size());
        EXPECT_EQ("InstallMfcDLL.exe", entries[1].name);
        EXPECT_EQ((uint32_t)(kVersionGated | kInSystemDirectory), entries[1].entry.flags);
        EXPECT_EQ(0u, entries[1].entry.storedSize);
        EXPECT_EQ(6u << 16 | 2, entries[1].entry.minimumVersionMS);
        EXPECT_EQ(8430u << 16, entries[1].entry.minimumVersionLS);
        EXPECT_EQ(entries[1].entry.data, entries[2].entry.data);  // takes no room
        EXPECT_EQ("Arbolix fixture file.\r\n", UnpackEntry(entries[2].entry));
        CloseArchive(&reader);
        FreeLibrary(module);
    }
    {
        UseProgram(FIXTURE_SYSTEM_EXE);
        std::vector<Entry> entries = ReadEntries();
        ASSERT_EQ(2u, entries.size());
        EXPECT_EQ((uint32_t)(kLogForUninstall | kInSystemDirectory), entries[0].entry.flags);
        EXPECT_EQ((uint32_t)kInSystemDirectory, entries[1].entry.flags);
        CloseArchive(&reader);
        FreeLibrary(module);
    }
    {
        UseProgram(FIXTURE_EMPTY_EXE);
        std::vector<Entry> entries = ReadEntries();
        ASSERT_EQ(1u, entries.size());
        EXPECT_EQ(0u, entries[0].entry.size);
        EXPECT_EQ(0u, entries[0].entry.storedSize);
        EXPECT_EQ("", UnpackEntry(entries[0].entry));
        EXPECT_EQ(fixtureTime, Time(entries[0].entry.creationTime));
        EXPECT_EQ(UtcTime(2002, 3, 4, 5, 6, 7), Time(entries[0].entry.lastAccessTime));
        EXPECT_EQ(UtcTime(2003, 4, 5, 6, 7, 8), Time(entries[0].entry.lastWriteTime));
        CloseArchive(&reader);
        FreeLibrary(module);
    }
    {
        UseProgram(FIXTURE_DEEP_EXE);
        std::vector<Entry> entries = ReadEntries();
        ASSERT_EQ(1u, entries.size());
        EXPECT_EQ("Deep\\One\\Two\\Three\\Four\\Five\\Six\\Seven\\deep.txt", entries[0].name);
        CloseArchive(&reader);
    }
    EXPECT_TRUE(AskedMessages().empty());
}

TEST_F(PayloadArchiveTest, ArchivesOfTheWriterReadBackInTheWindowsBuild)
{
    std::vector<PackEntry> entries(2);
    entries[0].flags = kLogForUninstall;
    entries[0].name = "Arbolix.exe";
    entries[0].data.assign(20000, 'x');
    entries[1].flags = kVersionGated | kInSystemDirectory;
    entries[1].name = "InstallMfcDLL.exe";
    entries[1].storage = PieceStorage::Verbatim;
    entries[1].minimumVersionMS = 0x00060002;
    Bytes archive = BuildArchive(entries);
    ASSERT_EQ(1, OpenArchiveBytes(&reader, archive.data(), archive.size()));
    DirectoryEntry entry;
    ASSERT_EQ(1, NextArchiveEntry(&reader, &entry));
    EXPECT_EQ(std::string(20000, 'x'), UnpackEntry(entry));
    ASSERT_EQ(1, NextArchiveEntry(&reader, &entry));
    EXPECT_STREQ("InstallMfcDLL.exe", entry.name);
    EXPECT_EQ(0u, entry.storedSize);
    EXPECT_EQ(0x00060002u, entry.minimumVersionMS);
    EXPECT_EQ(0, NextArchiveEntry(&reader, &entry));
    CloseArchive(&reader);
    EXPECT_TRUE(AskedMessages().empty());
}
