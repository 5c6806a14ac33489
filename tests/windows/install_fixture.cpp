#include "install_fixture.h"

#include "payload/install_payload.h"
#include "platform/win32.h"
#include "records/uninstall_log.h"
#include "scripted_dialogs.h"
#include "setup/install_sequence.h"
#include "tests/support/file_facts.h"
#include "tests/support/temp_folder.h"

const uint64_t kCreationTime = FileTimeFromUnix(1546398245);    // 2019-01-02 03:04:05 UTC
const uint64_t kLastAccessTime = FileTimeFromUnix(1583291096);  // 2020-03-04 03:04:56
const uint64_t kLastWriteTime = FileTimeFromUnix(1620270307);   // 2021-05-06 03:05:07

PackEntry FileEntry(const std::string& name, const std::string& data, uint32_t flags, PieceStorage storage)
{
    PackEntry entry;
    entry.flags = flags;
    entry.name = name;
    entry.sourceAttributes = 0x2820;
    entry.creationTime = kCreationTime;
    entry.lastAccessTime = kLastAccessTime;
    entry.lastWriteTime = kLastWriteTime;
    entry.storage = storage;
    entry.data.assign(data.begin(), data.end());
    return entry;
}

std::string PatternedData(size_t size, unsigned seed)
{
    std::string data(size, 0);
    unsigned state = seed * 2654435761u + 1;
    for (size_t i = 0; i < size; ++i) {
        state = state * 1103515245u + 12345u;
        data[i] = (char)("Arbolix family tree "[(state >> 16) % 20] ^ (i % 7 == 0 ? (state >> 24) : 0));
    }
    return data;
}

std::string Probe(const char* name)
{
    return std::string(PROBE_DIR) + "\\" + name + ".exe";
}

// Wine on Linux keeps no creation time of its own and reports the last write time in
// its place.
void ExpectInstalled(const std::string& path, const std::string& data)
{
    FileTimes times = ReadTimes(path);  // before reading, which may move the access time
    EXPECT_EQ(kLastAccessTime, times.lastAccess) << path;
    EXPECT_EQ(kLastWriteTime, times.lastWrite) << path;
    EXPECT_TRUE(times.creation == kCreationTime || times.creation == kLastWriteTime) << path;
    unsigned long attributes = Attributes(path);
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, attributes) << path;
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_READONLY) << path;
    EXPECT_EQ(data, ReadBytes(path)) << path;
}

void InstallTest::SetUp()
{
    saved = g_setup;
    ResetScriptedDialogs();
    root = MakeTempFolder("install");
    folder = root + "\\Arbolix Beta";
    lstrcpyA(g_setup.installFolder, folder.c_str());
    g_setup.silent = 0;
    g_setup.runtimeMissing = 0;
    g_setup.runtimePromptState = 0;
    g_setup.uninstallLog = 0;
}

void InstallTest::TearDown()
{
    CloseUninstallLog();
    if (archiveModule)
        FreeLibrary(archiveModule);
    RemoveTree(root);
    g_setup = saved;
}

void InstallTest::UseArchive(const Bytes& archive)
{
    if (archiveModule)
        FreeLibrary(archiveModule);
    archiveModule = 0;
    std::string host = root + "\\host" + std::to_string(++hostCopies) + ".exe";
    ASSERT_TRUE(CopyFileA(Probe("command_probe").c_str(), host.c_str(), FALSE));
    HANDLE update = BeginUpdateResourceA(host.c_str(), FALSE);
    ASSERT_NE(nullptr, update);
    ASSERT_TRUE(UpdateResourceA(update, "Z", MAKEINTRESOURCEA(110), MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
                                (void*)archive.data(), (DWORD)archive.size()));
    ASSERT_TRUE(EndUpdateResourceA(update, FALSE));
    archiveModule = LoadLibraryExA(host.c_str(), 0, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, archiveModule);
    g_setup.module = archiveModule;
}

int InstallTest::InstallAttempt()
{
    DWORD failure;
    int goOn = StartUninstallLog(&failure);
    exitCode = failure;
    int result = -1;
    if (goOn) {
        result = InstallPayload(&failure);
        if (failure)
            exitCode = failure;
    }
    if (DWORD closed = CloseUninstallLog())
        exitCode = closed;
    return result;
}

std::string InstallTest::Log() const
{
    return ReadBytes(folder + "\\Uninstall.cfg");
}

std::string InstallTest::Question(const std::string& file, const std::string& reason) const
{
    return "Unable to install file " + file + ".  Please make sure " + reason +
           ".\n\nClick on the ignore button if you want to skip this error.";
}
