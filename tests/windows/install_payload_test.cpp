#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "install_fixture.h"
#include "payload/archive_format.h"
#include "payload/inflate_ahead.h"
#include "payload/install_entry.h"
#include "payload/install_payload.h"
#include "payload/module_resources.h"
#include "platform/win32.h"
#include "records/uninstall_log.h"
#include "scripted_dialogs.h"
#include "setup/install_sequence.h"
#include "tests/support/file_facts.h"
#include "tests/support/file_links.h"
#include "kernel_seams.h"

// Shaped like the shipped payload: the program and its uninstaller, then eight
// stored sample documents and a picture in a subfolder.
static std::vector<PackEntry> DefaultShapedPayload()
{
    std::vector<PackEntry> entries;
    entries.push_back(FileEntry("Arbolix.exe", PatternedData(300000, 1)));
    entries.push_back(FileEntry("Uninstall.exe", PatternedData(5120, 2)));
    for (int i = 1; i <= 8; ++i)
        entries.push_back(FileEntry("SampleFiles\\Family " + std::to_string(i) + ".abx",
                                    PatternedData(1111 * i, 10 + i), 0x01, PieceStorage::Stored));
    entries.push_back(FileEntry("SampleFiles\\Tree.jpg", PatternedData(4860, 30)));
    return entries;
}

static std::string Data(const PackEntry& entry)
{
    return std::string(entry.data.begin(), entry.data.end());
}

TEST_F(InstallTest, FreshInstallLogsInOrderAndWritesReadOnlyFilesWithTheirTimes)
{
    std::vector<PackEntry> entries = DefaultShapedPayload();
    UseEntries(entries);
    EXPECT_EQ(1, InstallAttempt());
    EXPECT_EQ(0u, exitCode);
    EXPECT_TRUE(AskedMessages().empty());

    std::string expected = "d" + folder + "\r\n";
    for (size_t i = 0; i < entries.size(); ++i) {
        if (i == 2)
            expected += "d" + folder + "\\SampleFiles\r\n";
        expected += "f" + folder + "\\" + entries[i].name + "\r\n";
    }
    EXPECT_EQ(expected, Log());
    for (const PackEntry& entry : entries)
        ExpectInstalled(folder + "\\" + entry.name, Data(entry));
}

// The setup program's own payload, as a user would install it.
TEST_F(InstallTest, DefaultPayloadOfTheSetupProgram)
{
    HMODULE setup = LoadLibraryExA(SETUP_EXE, 0, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, setup) << SETUP_EXE;
    g_setup.module = setup;
    EXPECT_EQ(1, InstallAttempt());
    EXPECT_EQ(0u, exitCode);
    EXPECT_TRUE(AskedMessages().empty());

    ArchiveReader reader;
    ASSERT_EQ(kArchiveOpened, OpenPayloadArchive(&reader));
    std::string expected = "d" + folder + "\r\n";
    DirectoryEntry entry;
    int count = 0;
    while (NextArchiveEntry(&reader, &entry)) {
        std::string name = entry.name;
        if (++count == 3) {
            EXPECT_EQ(0u, name.find("SampleFiles\\"));
            expected += "d" + folder + "\\SampleFiles\r\n";
        }
        expected += "f" + folder + "\\" + name + "\r\n";
        std::string path = folder + "\\" + name;
        FileTimes times = ReadTimes(path);
        EXPECT_EQ(((uint64_t)entry.lastAccessTime.high << 32) | entry.lastAccessTime.low, times.lastAccess) << name;
        EXPECT_EQ(((uint64_t)entry.lastWriteTime.high << 32) | entry.lastWriteTime.low, times.lastWrite) << name;
        EXPECT_TRUE(Attributes(path) & FILE_ATTRIBUTE_READONLY) << name;
        std::string source = count <= 2 ? std::string(PROGRAMS_DIR) + "\\" + name
                                        : std::string(SAMPLES_DIR) + "\\" + name.substr(name.find('\\') + 1);
        EXPECT_EQ(ReadBytes(source), ReadBytes(path)) << name;
    }
    CloseArchive(&reader);
    FreeLibrary(setup);
    EXPECT_EQ(11, count);
    EXPECT_EQ(expected, Log());
}

TEST_F(InstallTest, ReinstallReplacesFilesAndReadOnlyLogKeepingShortcutsAndFolderLines)
{
    std::vector<PackEntry> first = DefaultShapedPayload();
    first.push_back(FileEntry("Dropped later.txt", "only in the first version"));
    UseEntries(first);
    ASSERT_EQ(1, StartUninstallLog(&exitCode));
    ASSERT_EQ(1, InstallPayload(&exitCode));
    for (const char* shortcut : {"\\Arbolix Beta.lnk", "\\Desktop.LNK", "\\Menu.Lnk"}) {
        WriteBytes(folder + shortcut, "shortcut");
        LogInstalledFile((folder + shortcut).c_str());
    }
    CloseUninstallLog();
    SetFileAttributesA((folder + "\\Uninstall.cfg").c_str(), FILE_ATTRIBUTE_READONLY);

    std::vector<PackEntry> second = DefaultShapedPayload();
    second[0].data.assign(5000, 'x');
    UseEntries(second);
    EXPECT_EQ(1, InstallAttempt());
    EXPECT_EQ(0u, exitCode);
    EXPECT_FALSE(PathExists(folder + "\\Dropped later.txt"));
    for (const char* shortcut : {"\\Arbolix Beta.lnk", "\\Desktop.LNK", "\\Menu.Lnk"})
        EXPECT_EQ("shortcut", ReadBytes(folder + shortcut)) << shortcut;
    std::string expected = "d" + folder + "\r\nd" + folder + "\\SampleFiles\r\n";
    for (const PackEntry& entry : second)
        expected += "f" + folder + "\\" + entry.name + "\r\n";
    EXPECT_EQ(expected, Log());
    ExpectInstalled(folder + "\\Arbolix.exe", std::string(5000, 'x'));
}

TEST_F(InstallTest, EmptyEntryCreatesAnEmptyFileWithItsTimes)
{
    UseEntries({FileEntry("Empty.txt", "", 0x01, PieceStorage::Stored), FileEntry("Unlogged.txt", "data", 0x04)});
    EXPECT_EQ(1, InstallAttempt());
    ExpectInstalled(folder + "\\Empty.txt", "");
    ExpectInstalled(folder + "\\Unlogged.txt", "data");
    EXPECT_EQ("d" + folder + "\r\nf" + folder + "\\Empty.txt\r\n", Log());
}

TEST_F(InstallTest, ExistingReadOnlyFileIsReplaced)
{
    CreateDirectoryA(folder.c_str(), 0);
    WriteReadOnly(folder + "\\a.txt", "old contents, longer than the new");
    UseEntries({FileEntry("a.txt", "new")});
    EXPECT_EQ(1, InstallAttempt());
    ExpectInstalled(folder + "\\a.txt", "new");
    EXPECT_EQ("f" + folder + "\\a.txt\r\n", Log());
}

// A link planted at an entry's name is not written through. Windows opens the link
// itself, removes it and makes the file anew; Wine follows every link, so there the
// target's real path lies outside and the entry is refused.
TEST_F(InstallTest, LinkPlantedAtAFileNameIsNotWrittenThrough)
{
    CreateDirectoryA(folder.c_str(), 0);
    std::string victim = root + "\\victim.txt";
    WriteBytes(victim, "someone else's");
    FileLink link(FileLink::kLinuxSymlink, victim, folder + "\\a.txt");
    ASSERT_TRUE(link.made());
    UseEntries({FileEntry("a.txt", "ours")});
    g_setup.silent = 1;
    int installed = InstallAttempt();
    EXPECT_EQ("someone else's", ReadBytes(victim));
    if (installed == 1)
        ExpectInstalled(folder + "\\a.txt", "ours");
    else
        EXPECT_EQ(29u, exitCode);
}

// A link above the install folder re-pointed at the moment a file is checked: what
// was checked is what loses its name or is removed, never what the name leads to by
// then. An existing file: its name is removed through the checked handle, and the
// file made anew through the link now refused. A new file made through the link
// re-pointed at its neighbour's check, and turned back at its own: removed through
// the handle that made it, not looked for by its name.
TEST_F(InstallTest, LinkRepointedWhenAFileIsCheckedLeavesTheFolderItLeadsToAlone)
{
    g_setup.silent = 1;
    const struct { std::vector<const char*> names; const wchar_t *repointAt, *turnBackAt; } cases[] = {
        {{"sub\\b.txt"}, L"\\here\\I\\sub\\b.txt", L"-"},
        {{"sub\\a.txt", "sub\\c.txt"}, L"\\here\\I\\sub\\a.txt", L"\\there\\I\\sub\\c.txt"}};
    for (const auto& c : cases) {
        std::string base = root + "\\" + std::to_string(&c - cases), here = base + "\\here", there = base + "\\there";
        for (const std::string& level : {base, here, here + "\\I", here + "\\I\\sub", there, there + "\\I", there + "\\I\\sub"})
            CreateDirectoryA(level.c_str(), 0);
        WriteBytes(here + "\\I\\sub\\b.txt", "ours, earlier");
        WriteReadOnly(there + "\\I\\sub\\b.txt", "theirs");
        auto link = std::make_unique<FileLink>(FileLink::kLinuxSymlink, here, base + "\\link");
        folder = base + "\\link\\I";
        lstrcpyA(g_setup.installFolder, folder.c_str());
        std::vector<PackEntry> entries;
        for (const char* name : c.names)
            entries.push_back(FileEntry(name, "new"));
        UseEntries(entries);
        RealPathFailure watching(0, [&](const std::wstring& path) {
            auto endsWith = [&](const std::wstring& tail) {
                return path.size() >= tail.size() && path.compare(path.size() - tail.size(), tail.size(), tail) == 0;
            };
            if (endsWith(c.repointAt) || endsWith(c.turnBackAt)) {
                link.reset();
                link = std::make_unique<FileLink>(FileLink::kLinuxSymlink, endsWith(c.repointAt) ? there : here,
                                                  base + "\\link");
            }
        });
        InstallAttempt();
        EXPECT_EQ("theirs", ReadBytes(there + "\\I\\sub\\b.txt")) << c.names.size();
        EXPECT_TRUE(Attributes(there + "\\I\\sub\\b.txt") & FILE_ATTRIBUTE_READONLY) << c.names.size();
        EXPECT_FALSE(PathExists(there + "\\I\\sub\\c.txt"));
    }
}

// A folder that is a reparse point but no link (a cloud-file placeholder, a
// deduplicated or compressed folder) is entered as it is, not removed and made anew.
// Wine makes no such tag, so the seam gives it to a link inside: taken for a link,
// that link would be removed and "sub" made anew as an empty folder.
TEST_F(InstallTest, FolderWithAReparsePointOtherThanALinkIsEnteredAsItIs)
{
    enum { kCloudFileTag = 0x9000001A };
    std::string placeholder = folder + "\\real";
    CreateDirectoryA(folder.c_str(), 0);
    CreateDirectoryA(placeholder.c_str(), 0);
    FileLink link(FileLink::kLinuxSymlink, placeholder, folder + "\\sub");
    ASSERT_TRUE(link.made());
    UseEntries({FileEntry("sub\\a.txt", "ours")});
    {
        ReparseTagAs cloud(kCloudFileTag);
        EXPECT_EQ(1, InstallAttempt());
    }
    ExpectInstalled(placeholder + "\\a.txt", "ours");
}

// Where the install folder's real path cannot be read in either form, nothing is
// written into it: the log cannot be made, and every entry fails as a write.
TEST_F(InstallTest, NothingIsWrittenIntoAFolderWhoseRealPathCannotBeRead)
{
    RealPathFailure failing(kBothPathForms);
    UseEntries({FileEntry("a.txt", "ours")});
    ScriptMessageAnswers({IDYES, IDABORT});
    EXPECT_EQ(0, InstallAttempt());
    EXPECT_EQ(29u, exitCode);
    ASSERT_EQ(2u, AskedMessages().size());
    EXPECT_EQ(0u, AskedMessages()[0].text.find("Unable to create " + folder + "\\Uninstall.cfg.\n"));
    EXPECT_EQ(Question(folder + "\\a.txt", "all running applications are closed"), AskedMessages()[1].text);
    EXPECT_FALSE(PathExists(folder + "\\a.txt"));
    EXPECT_FALSE(PathExists(folder + "\\Uninstall.cfg"));
}

TEST_F(InstallTest, SystemDirectoryEntryLogsNoFolderLine)
{
    char system[MAX_PATH];
    GetSystemDirectoryA(system, sizeof system);
    std::string name = "arbolix-test-" + std::to_string(GetCurrentProcessId()) + ".dat";
    std::string target = std::string(system) + "\\" + name;
    CreateDirectoryA(folder.c_str(), 0);
    UseEntries({FileEntry(name, "system data", 0x03)});
    EXPECT_EQ(1, InstallAttempt());
    ExpectInstalled(target, "system data");
    EXPECT_EQ("f" + target + "\r\n", Log());
    SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(target.c_str());
}

TEST_F(InstallTest, SubfolderTwoLevelsDeepLogsOnlyTheDeeperOne)
{
    CreateDirectoryA(folder.c_str(), 0);
    UseEntries({FileEntry("sub\\deeper\\file.txt", "deep"), FileEntry("sub\\second.txt", "next")});
    EXPECT_EQ(1, InstallAttempt());
    EXPECT_EQ("d" + folder + "\\sub\\deeper\r\nf" + folder + "\\sub\\deeper\\file.txt\r\nf" + folder +
                  "\\sub\\second.txt\r\n",
              Log());
}

TEST_F(InstallTest, StatusLineShowsTheNameAsStoredAndTheQuestionTheFullPath)
{
    HWND status = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 300, 20, 0, 0, 0, 0);
    ASSERT_NE(nullptr, status);
    g_setup.statusLine = status;
    CreateDirectoryA(folder.c_str(), 0);
    CreateDirectoryA((folder + "\\sub").c_str(), 0);
    CreateDirectoryA((folder + "\\sub\\denied.txt").c_str(), 0);
    ASSERT_TRUE(CopyFileA(Probe("probe_2_3_4_5").c_str(), (folder + "\\current.dll").c_str(), FALSE));
    PackEntry leftAlone = FileEntry("current.dll", "older", kLogForUninstall | kVersionGated);
    leftAlone.minimumVersionMS = 0x00020003;
    leftAlone.minimumVersionLS = 0x00040005;
    UseEntries({FileEntry("sub\\denied.txt", "x"), leftAlone});
    ScriptMessageAnswers({IDIGNORE});
    EXPECT_EQ(1, InstallAttempt());
    char text[512] = "";
    GetWindowTextA(status, text, sizeof text);
    DestroyWindow(status);
    EXPECT_STREQ("Installing sub\\denied.txt...", text);  // the version-gated entry showed nothing
    ASSERT_EQ(1u, AskedMessages().size());
    EXPECT_EQ(Question(folder + "\\sub\\denied.txt", "you have permission to write files in this folder"),
              AskedMessages()[0].text);
}

TEST_F(InstallTest, SharingViolationGives32AndAbortStopsTheWalk)
{
    CreateDirectoryA(folder.c_str(), 0);
    std::string held = folder + "\\a.txt";
    WriteBytes(held, "in use");
    HANDLE holder = CreateFileA(held.c_str(), GENERIC_READ, 0, 0, OPEN_EXISTING, 0, 0);
    ASSERT_NE(INVALID_HANDLE_VALUE, holder);
    UseEntries({FileEntry("a.txt", "new"), FileEntry("b.txt", "never")});
    ScriptMessageAnswers({IDABORT});
    EXPECT_EQ(0, InstallAttempt());
    CloseHandle(holder);
    EXPECT_EQ(32u, exitCode);
    ASSERT_EQ(1u, AskedMessages().size());
    EXPECT_EQ(Question(held, "all running applications are closed"), AskedMessages()[0].text);
    EXPECT_EQ((UINT)290, AskedMessages()[0].type);
    EXPECT_EQ("Arbolix\xAE Setup", AskedMessages()[0].caption);
    EXPECT_EQ("in use", ReadBytes(held));
    EXPECT_FALSE(PathExists(folder + "\\b.txt"));
    EXPECT_EQ("", Log());
}

TEST_F(InstallTest, SilentModeStopsAtTheFirstFailureWithoutAsking)
{
    CreateDirectoryA(folder.c_str(), 0);
    std::string held = folder + "\\a.txt";
    WriteBytes(held, "in use");
    HANDLE holder = CreateFileA(held.c_str(), GENERIC_READ, 0, 0, OPEN_EXISTING, 0, 0);
    UseEntries({FileEntry("first.txt", "1"), FileEntry("a.txt", "new"), FileEntry("b.txt", "never")});
    g_setup.silent = 1;
    EXPECT_EQ(0, InstallAttempt());
    CloseHandle(holder);
    EXPECT_EQ(32u, exitCode);
    EXPECT_TRUE(AskedMessages().empty());
    ExpectInstalled(folder + "\\first.txt", "1");
    EXPECT_FALSE(PathExists(folder + "\\b.txt"));
    EXPECT_EQ("f" + folder + "\\first.txt\r\n", Log());
}

TEST_F(InstallTest, AccessDeniedGives5AndIgnoreMovesOnKeepingTheCode)
{
    CreateDirectoryA(folder.c_str(), 0);
    CreateDirectoryA((folder + "\\a.txt").c_str(), 0);  // a folder where the file goes
    UseEntries({FileEntry("a.txt", "new"), FileEntry("b.txt", "next")});
    ScriptMessageAnswers({IDIGNORE});
    EXPECT_EQ(1, InstallAttempt());
    EXPECT_EQ(5u, exitCode);
    ASSERT_EQ(1u, AskedMessages().size());
    EXPECT_EQ(Question(folder + "\\a.txt", "you have permission to write files in this folder"),
              AskedMessages()[0].text);
    ExpectInstalled(folder + "\\b.txt", "next");
    EXPECT_EQ("f" + folder + "\\b.txt\r\n", Log());
}

// Deflated files are inflated a chunk at a time on a second thread.
TEST_F(InstallTest, FilesAroundTheChunkSizeInstallWhole)
{
    std::string exact = PatternedData(kChunkSize, 1), larger = PatternedData(3 * kChunkSize + 17, 2);
    UseEntries({FileEntry("exact.bin", exact), FileEntry("larger.bin", larger)});
    EXPECT_EQ(1, InstallAttempt());
    EXPECT_EQ(0u, exitCode);
    ExpectInstalled(folder + "\\exact.bin", exact);
    ExpectInstalled(folder + "\\larger.bin", larger);
}

// More corrupt pieces, each ignored, than the ring holds chunks: each failed chunk
// goes back to the ring, or the thread would have nowhere left to inflate the next.
TEST_F(InstallTest, IgnoredCorruptPiecesGiveTheirChunksBack)
{
    std::vector<PackEntry> entries;
    std::vector<int> answers;
    for (int i = 0; i <= kChunksAhead; ++i) {
        entries.push_back(FileEntry("corrupt" + std::to_string(i) + ".txt", "not a deflate stream", 0x01,
                                    PieceStorage::Verbatim));
        entries.back().verbatimSize = 100;
        answers.insert(answers.end(), {IDOK, IDIGNORE});
    }
    std::string last = PatternedData(2 * kChunkSize, 5);
    entries.push_back(FileEntry("last.bin", last));
    UseEntries(entries);
    ScriptMessageAnswers(answers);
    EXPECT_EQ(1, InstallAttempt());
    EXPECT_EQ(2u * (kChunksAhead + 1), AskedMessages().size());
    ExpectInstalled(folder + "\\last.bin", last);
}

static DWORD WINAPI EndAtOnce(void*)
{
    return 0;
}

// Wine frees an ended thread's stack when the next thread ends: a thread of a small
// stack ended now leaves only a hole too small for another thread's stack.
static void EndASmallThread()
{
    HANDLE thread = CreateThread(0, 64 * 1024, EndAtOnce, 0, STACK_SIZE_PARAM_IS_A_RESERVATION, 0);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
}

// Reserves every free stretch of this process's address space of 1 MB or more: no
// thread's stack (2 MB, as the program's header asks) fits any more, while what is
// left lets Linux map what a thread's end loads (libgcc_s, where Wine runs 32-bit code
// natively; without it every thread that ends aborts the process).
static std::vector<void*> ReserveAddressSpace()
{
    std::vector<void*> reserved;
    reserved.reserve(1 << 16);
    for (SIZE_T size = (SIZE_T)1 << 30; size >= 1024 * 1024; size /= 2)
        while (void* block = VirtualAlloc(0, size, MEM_RESERVE, PAGE_NOACCESS)) {
            if (reserved.size() == reserved.capacity())
                return reserved;
            reserved.push_back(block);
        }
    return reserved;
}

// A Retry whose inflating thread cannot start again (no room left for its stack)
// ends the run with that failure's own code, not the sharing violation before it.
TEST_F(InstallTest, RetryWhoseInflatingCannotStartAgainEndsWithItsOwnCode)
{
    if (sizeof(void*) == 8)
        GTEST_SKIP() << "x64: a test cannot take all of a 64-bit process's address space";
    CreateDirectoryA(folder.c_str(), 0);
    HANDLE held = CreateFileA((folder + "\\first.bin").c_str(), GENERIC_WRITE, 0, 0, CREATE_NEW, 0, 0);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    UseEntries({FileEntry("first.bin", PatternedData(kChunkSize, 6))});
    std::vector<void*> reserved;
    ScriptBeforeEachAnswer([&](const AskedMessage&) {
        if (held) {
            CloseHandle(held);
            held = 0;
            EndASmallThread();
            reserved = ReserveAddressSpace();
        }
    });
    ScriptMessageAnswers({IDRETRY, IDOK});
    int result = InstallAttempt();
    for (void* block : reserved)
        VirtualFree(block, 0, MEM_RELEASE);
    EXPECT_EQ(0, result);
    EXPECT_EQ(29u, exitCode);
    ASSERT_EQ(2u, AskedMessages().size());
    EXPECT_EQ(Question(folder + "\\first.bin", "all running applications are closed"), AskedMessages()[0].text);
    EXPECT_EQ("Unable to decompress data", AskedMessages()[1].text);
}

TEST_F(InstallTest, CorruptPieceSaysSoEvenInSilentMode)
{
    PackEntry corrupt = FileEntry("a.txt", "not a deflate stream", 0x01, PieceStorage::Verbatim);
    corrupt.verbatimSize = 100;
    UseEntries({corrupt});
    g_setup.silent = 1;
    EXPECT_EQ(0, InstallAttempt());
    EXPECT_EQ(29u, exitCode);
    ASSERT_EQ(1u, AskedMessages().size());
    EXPECT_EQ("Unable to decompress data", AskedMessages()[0].text);
    EXPECT_EQ((UINT)(MB_OK | MB_ICONEXCLAMATION), AskedMessages()[0].type);
}

TEST_F(InstallTest, RetryRepeatsTheEntryAndLogsEachOpening)
{
    PackEntry corrupt = FileEntry("a.txt", "not a deflate stream", 0x01, PieceStorage::Verbatim);
    corrupt.verbatimSize = 100;
    UseEntries({corrupt, FileEntry("b.txt", "b's own data")});
    ScriptMessageAnswers({IDOK, IDRETRY, IDOK, IDRETRY, IDOK, IDIGNORE});
    EXPECT_EQ(1, InstallAttempt());
    EXPECT_EQ(29u, exitCode);
    ASSERT_EQ(6u, AskedMessages().size());
    for (int i = 0; i < 6; i += 2) {
        EXPECT_EQ("Unable to decompress data", AskedMessages()[i].text);
        EXPECT_EQ((UINT)(MB_OK | MB_ICONEXCLAMATION), AskedMessages()[i].type);
        EXPECT_EQ(Question(folder + "\\a.txt", "all running applications are closed"), AskedMessages()[i + 1].text);
        EXPECT_EQ((UINT)290, AskedMessages()[i + 1].type);
    }
    std::string fileLine = "f" + folder + "\\a.txt\r\n";
    EXPECT_EQ("d" + folder + "\r\n" + fileLine + fileLine + fileLine + "f" + folder + "\\b.txt\r\n", Log());
    ExpectInstalled(folder + "\\b.txt", "b's own data");
    EXPECT_EQ("", ReadBytes(folder + "\\a.txt"));  // left as the failure left it
}

TEST_F(InstallTest, AbortAfterAnEarlierIgnoreEndsWithTheLatestCode)
{
    CreateDirectoryA(folder.c_str(), 0);
    CreateDirectoryA((folder + "\\denied.txt").c_str(), 0);
    PackEntry corrupt = FileEntry("corrupt.txt", "junk", 0x01, PieceStorage::Verbatim);
    corrupt.verbatimSize = 10;
    UseEntries({FileEntry("denied.txt", "x"), corrupt, FileEntry("never.txt", "x")});
    ScriptMessageAnswers({IDIGNORE, IDOK, IDABORT});
    EXPECT_EQ(0, InstallAttempt());
    EXPECT_EQ(29u, exitCode);
    EXPECT_FALSE(PathExists(folder + "\\never.txt"));
}

TEST_F(InstallTest, WithoutALogAfterYesTheInstallationEndsWith123)
{
    CreateDirectoryA(folder.c_str(), 0);
    CreateDirectoryA((folder + "\\Uninstall.cfg").c_str(), 0);  // the log cannot be opened
    UseEntries({FileEntry("a.txt", "a")});
    ScriptMessageAnswers({IDYES});
    EXPECT_EQ(1, InstallAttempt());
    EXPECT_EQ(123u, exitCode);
    ExpectInstalled(folder + "\\a.txt", "a");
}

// The archive is missing, does not unpack, or is malformed: the walk is abandoned
// with 29 after the message (silently none for a missing one), instead of reporting
// success with nothing installed.
TEST_F(InstallTest, MissingArchiveAbandonsWith29AfterTheMessageUnlessSilent)
{
    g_setup.module = GetModuleHandleA(0);  // the test program has no "Z"/110
    EXPECT_EQ(0, InstallPayload(&exitCode));
    EXPECT_EQ(29u, exitCode);
    ASSERT_EQ(1u, AskedMessages().size());
    EXPECT_EQ("Unable to decompress data", AskedMessages()[0].text);
    EXPECT_EQ((UINT)(MB_OK | MB_ICONEXCLAMATION), AskedMessages()[0].type);

    g_setup.silent = 1;
    exitCode = 0;
    EXPECT_EQ(0, InstallPayload(&exitCode));
    EXPECT_EQ(29u, exitCode);
    EXPECT_EQ(1u, AskedMessages().size());
}

TEST_F(InstallTest, UnreadableOrMalformedArchiveAbandonsWith29AfterOneMessage)
{
    Bytes corruptDirectory = BuildArchive({FileEntry("a.txt", "data")});
    for (size_t i = 10; i < 20; ++i)
        corruptDirectory[i] ^= 0x5A;
    PackOptions noEndMarker;
    noEndMarker.endMarker = false;
    for (const Bytes& archive : {corruptDirectory, BuildArchive({FileEntry("a.txt", "data")}, noEndMarker)}) {
        ResetScriptedDialogs();
        exitCode = 0;
        UseArchive(archive);
        EXPECT_EQ(0, InstallAttempt());
        EXPECT_EQ(29u, exitCode);
        ASSERT_EQ(1u, AskedMessages().size());
        EXPECT_EQ("Unable to decompress data", AskedMessages()[0].text);
        EXPECT_FALSE(PathExists(folder + "\\a.txt"));
    }
}

TEST_F(InstallTest, NamesLeavingTheInstallFolderOrTooLongFailWith29)
{
    CreateDirectoryA(folder.c_str(), 0);
    std::string longName = std::string(250 - root.size(), 'n') + ".txt";
    std::vector<std::string> refused = {"..\\escape.txt", "\\absolute.txt", "C:\\drive.txt", "C:drive.txt",
                                        "sub/../../slash.txt", "sub\\..\\..\\dots.txt", longName,
                                        "CON.txt", "sub\\nul\\x.txt", "what?.txt", "tab\t.txt"};
    std::vector<PackEntry> entries;
    for (const std::string& name : refused)
        entries.push_back(FileEntry(name, "outside"));
    entries.push_back(FileEntry("inside.txt", "inside"));
    UseEntries(entries);
    ScriptMessageAnswers(std::vector<int>(refused.size(), IDIGNORE));
    EXPECT_EQ(1, InstallAttempt());
    EXPECT_EQ(29u, exitCode);
    ASSERT_EQ(refused.size(), AskedMessages().size());
    for (size_t i = 0; i < refused.size(); ++i)
        EXPECT_EQ(Question(refused[i], "all running applications are closed"), AskedMessages()[i].text);
    for (const char* outside : {"\\escape.txt", "\\slash.txt", "\\dots.txt"})
        EXPECT_FALSE(PathExists(root + outside)) << outside;
    EXPECT_FALSE(PathExists("C:\\drive.txt"));
    EXPECT_FALSE(PathExists("C:\\absolute.txt"));
    ExpectInstalled(folder + "\\inside.txt", "inside");
    EXPECT_EQ("f" + folder + "\\inside.txt\r\n", Log());
}

TEST_F(InstallTest, RefusedNameInSilentModeStopsWith29)
{
    UseEntries({FileEntry("..\\escape.txt", "outside"), FileEntry("inside.txt", "inside")});
    g_setup.silent = 1;
    EXPECT_EQ(0, InstallAttempt());
    EXPECT_EQ(29u, exitCode);
    EXPECT_TRUE(AskedMessages().empty());
    EXPECT_FALSE(PathExists(root + "\\escape.txt"));
    EXPECT_FALSE(PathExists(folder + "\\inside.txt"));
}
