// The real setup program under Wine when things go wrong: killed half-way, given
// damaged payloads, a planted uninstall log, awkward folders and many files.
#include <gtest/gtest.h>

#include <shlobj.h>
#include <psapi.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "payload/archive_reader.h"
#include "resources/resource_ids.h"
#include "tests/support/file_facts.h"
#include "tests/support/file_links.h"
#include "tests/support/machine_state.h"
#include "tests/support/registry_values.h"
#include "tests/support/shell_link_reader.h"
#include "tests/support/temp_folder.h"
#include "tests/support/ui_driver.h"

static const std::string kBase = "C:\\arbolix-faults";
static const char kDecompressMessage[] = "Unable to decompress data";

struct SilentRun {
    DWORD exitCode;
    std::vector<std::string> messages;  // every message box, in order
    double seconds;
    SIZE_T peakWorkingSet;  // bytes, 0 when it could not be read
};

static void NotePeak(HANDLE process, SIZE_T* peak)
{
    PROCESS_MEMORY_COUNTERS counters = {};
    if (GetProcessMemoryInfo(process, &counters, sizeof counters))
        *peak = std::max(*peak, counters.PeakWorkingSetSize);
}

// Runs a setup program with -USilent and the folder, answering every message box
// with OK (or its first button) until it ends.
static SilentRun RunSilent(const std::string& exe, const std::string& folder, int timeoutMs = 240000,
                           const std::string& more = "")
{
    SilentRun run = {STILL_ACTIVE, {}, 0, 0};
    SetupProcess setup = {};
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    if (!StartProgram(exe, "-USilent -Path \"" + folder + "\"" + more, &setup)) {
        ADD_FAILURE() << "cannot start " << exe;
        return run;
    }
    for (int waited = 0; waited < timeoutMs; waited += 20) {
        NotePeak(setup.info.hProcess, &run.peakWorkingSet);
        if (WaitForSingleObject(setup.info.hProcess, 20) == WAIT_OBJECT_0)
            break;
        MessageBoxSeen box = WaitForMessageBox(setup, 0);
        if (box.window) {
            run.messages.push_back(box.text);
            bool hasOk = std::find(box.buttons.begin(), box.buttons.end(), IDOK) != box.buttons.end();
            Answer(box, hasOk || box.buttons.empty() ? IDOK : box.buttons[0]);
        }
    }
    QueryPerformanceCounter(&end);
    NotePeak(setup.info.hProcess, &run.peakWorkingSet);
    run.seconds = double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart);
    run.exitCode = WaitForExit(&setup, 0);
    EndStrayApplications();
    return run;
}

static std::string LogOption(const std::string& log)
{
    return " -Log \"" + log + "\"";
}

// The installed files the log names: its file lines but the shortcuts.
static std::vector<std::string> LoggedInstalledFiles(const std::string& folder)
{
    std::vector<std::string> files;
    for (const std::string& line : LogLines(folder))
        if (!line.empty() && line[0] == 'f' && line.find(".lnk") == std::string::npos)
            files.push_back(line.substr(1));
    return files;
}

// Every file under the folder, except the log itself.
static void ListFiles(const std::string& folder, std::vector<std::string>* files)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        std::string name = found.cFileName;
        if (name == "." || name == "..")
            continue;
        std::string path = folder + "\\" + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            ListFiles(path, files);
        else if (lstrcmpiA(name.c_str(), "Uninstall.cfg") != 0)
            files->push_back(path);
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

static DWORD LinkCount(const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, 0,
                              OPEN_EXISTING, 0, 0);
    BY_HANDLE_FILE_INFORMATION info = {};
    if (file != INVALID_HANDLE_VALUE) {
        GetFileInformationByHandle(file, &info);
        CloseHandle(file);
    }
    return info.nNumberOfLinks;
}

class Faults : public ::testing::Test {
protected:
    void SetUp() override
    {
        CoInitialize(0);
        ClearSetupTraces({kBase, kDefaultFolder});
        CreateDirectoryA(kBase.c_str(), 0);
    }
    void TearDown() override
    {
        EndStrayApplications();
        ClearSetupTraces({kBase, kDefaultFolder});
        CoUninitialize();
    }
};

TEST_F(Faults, DamagedPayloadsEndWith29AndReportNoSuccess)
{
    // A missing archive has nothing to report silently; damaged data is always named.
    struct Case {
        const char* name;
        std::string exe;
        std::vector<std::string> messages;
    } cases[] = {{"corrupt piece", FIXTURE_CORRUPT_EXE, {kDecompressMessage}},
                 {"no archive", FIXTURE_NOPAYLOAD_EXE, {}},
                 {"malformed archive", FIXTURE_TRUNCATED_EXE, {kDecompressMessage}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string folder = kBase + "\\damaged";
        SilentRun run = RunSilent(c.exe, folder);
        EXPECT_EQ((DWORD)ERROR_WRITE_FAULT, run.exitCode);
        EXPECT_EQ(c.messages, run.messages);
        EXPECT_FALSE(ReadValue(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString").present);
        EXPECT_FALSE(FileExists(ShellFolder(CSIDL_COMMON_PROGRAMS) + "\\Arbolix Beta.lnk"));
        // What got in before the damage is all logged.
        std::vector<std::string> onDisk, logged = LoggedInstalledFiles(folder);
        ListFiles(folder, &onDisk);
        EXPECT_EQ(std::set<std::string>(onDisk.begin(), onDisk.end()),
                  std::set<std::string>(logged.begin(), logged.end()));
        ClearSetupTraces({folder});
    }
}

TEST_F(Faults, PlantedLogCannotReachOutsideTheChosenFolder)
{
    std::string folder = kBase + "\\planted";
    std::string outside = kBase + "\\outside";
    std::string desktop = ShellFolder(CSIDL_COMMON_DESKTOPDIRECTORY);
    std::string system = ShellFolder(CSIDL_SYSTEM);
    std::string systemFile = system + "\\arbolix-planted.dll";
    std::string deepSystemFile = system + "\\drivers\\etc\\arbolix-planted-hosts";
    for (const std::string& made : {folder, outside, folder + "\\old", desktop + "\\Thesis", system + "\\drivers",
                                    system + "\\drivers\\etc"})
        CreateDirectoryA(made.c_str(), 0);
    std::string windows(MAX_PATH, 0);
    windows.resize(GetWindowsDirectoryA(&windows[0], MAX_PATH));
    // Every kind of path a planted log may hold and the file it aims at. Neither the
    // setup program's cleanup nor the uninstaller deletes any, in the system directory
    // at any depth neither.
    struct Planted {
        std::string line;
        std::string victim;
    } planted[] = {
        {"f" + outside + "\\letter.txt", outside + "\\letter.txt"},
        {"f" + folder + "\\..\\outside\\letter.txt", outside + "\\letter.txt"},
        {"f" + folder + "\\old\\..\\..\\top.txt", kBase + "\\top.txt"},
        {"f" + outside + "\\sub.lnk", outside + "\\sub.lnk"},
        {"f" + folder + "\\j\\through.txt", outside + "\\through.txt"},  // j: a link to outside
        {"f" + folder + "\\linked.txt", outside + "\\linked.txt"},       // a link to that file
        {"f" + desktop + "\\Thesis\\x.docx", desktop + "\\Thesis\\x.docx"},
        {"f" + desktop + "\\Notes.lnk", desktop + "\\Notes.lnk"},
        {"f" + systemFile, systemFile},
        {"f" + deepSystemFile, deepSystemFile},
    };
    std::string log = "f" + windows + "\\win.ini\r\nd" + outside + "\r\nd" + kBase + "\r\nd" + folder + "\\j\r\n";
    for (const Planted& p : planted) {
        WriteBytes(p.victim, "keep me");
        log += p.line + "\r\n";
    }
    FileLink folderLink(FileLink::kLinuxSymlink, outside, folder + "\\j");
    FileLink fileLink(FileLink::kLinuxSymlink, outside + "\\linked.txt", folder + "\\linked.txt");
    ASSERT_TRUE(folderLink.made() && fileLink.made());
    WriteBytes(folder + "\\old\\stale.txt", "an earlier install's file");
    WriteBytes(folder + "\\Uninstall.cfg", log + "f" + folder + "\\old\\stale.txt\r\nd" + folder + "\\old\r\n");

    SilentRun run = RunSilent(SETUP_EXE, folder);
    EXPECT_EQ(0u, run.exitCode);
    EXPECT_TRUE(run.messages.empty());
    for (const Planted& p : planted)
        EXPECT_EQ("keep me", ReadWholeFile(p.victim)) << p.line;
    EXPECT_TRUE(FileExists(windows + "\\win.ini"));
    // The log was read: what it named inside the folder is gone.
    EXPECT_FALSE(FileExists(folder + "\\old\\stale.txt"));
    // The new log names only files this installation put in its folder (folder
    // lines are carried over; the uninstaller removes only empty ones inside).
    for (const std::string& file : LoggedInstalledFiles(folder))
        EXPECT_EQ(0u, file.find(folder + "\\")) << file;
    EXPECT_TRUE(FolderExists(outside));

    // Planted again over the installation's own log, for its uninstaller.
    for (const Planted& p : planted)
        WriteBytes(p.victim, "keep me");
    WriteBytes(folder + "\\Uninstall.cfg", log + "f" + folder + "\\Arbolix.exe\r\n");
    SetupProcess uninstall = {};
    ASSERT_TRUE(StartProgram(folder + "\\Uninstall.exe", "-USilent", &uninstall));
    EXPECT_EQ(0u, WaitForExit(&uninstall));
    for (const Planted& p : planted)
        EXPECT_EQ("keep me", ReadWholeFile(p.victim)) << p.line;
    EXPECT_TRUE(FileExists(windows + "\\win.ini"));
    EXPECT_FALSE(FileExists(folder + "\\Arbolix.exe"));
    EXPECT_FALSE(FileExists(ShellFolder(CSIDL_COMMON_PROGRAMS) + "\\Arbolix Beta.lnk"));
    RemoveTree(desktop + "\\Thesis");
    for (const std::string& path : {desktop + "\\Notes.lnk", systemFile, deepSystemFile})
        DeleteFileA(path.c_str());
}

// A folder link as a user who may write the install folder would plant it: a
// junction where this Windows makes them, else (Wine) a Linux symbolic link.
static std::unique_ptr<FileLink> PlantFolderLink(const std::string& target, const std::string& linkPath)
{
    std::unique_ptr<FileLink> link(new FileLink(FileLink::kJunction, target, linkPath));
    if (!link->made())
        link.reset(new FileLink(FileLink::kLinuxSymlink, target, linkPath));
    return link;
}

// The folder holds every file the installation should have, each once in the log.
static void ExpectCompleteInstall(const std::string& folder, size_t files, bool exactly = true)
{
    std::vector<std::string> logged = LoggedInstalledFiles(folder);
    std::set<std::string> distinct(logged.begin(), logged.end());
    EXPECT_EQ(logged.size(), distinct.size()) << "a file logged twice";
    if (exactly)
        EXPECT_EQ(files, logged.size());
    std::vector<std::string> onDisk;
    ListFiles(folder, &onDisk);
    EXPECT_EQ(std::set<std::string>(onDisk.begin(), onDisk.end()), distinct);
}

// A copy of the setup program with one byte of its payload archive changed: in a
// stored piece, in the padding after a piece, or in a deflated piece, as a damaged
// download or medium would have it. The payload's checksum ("Z"/111) stays.
enum class Damage { StoredPiece, Gap, DeflatedPiece };

static std::string DamagedCopy(const std::string& program, Damage damage, const std::string& copy)
{
    HMODULE module = LoadLibraryExA(program.c_str(), 0, LOAD_LIBRARY_AS_DATAFILE);
    HRSRC found = module ? FindResourceA(module, MAKEINTRESOURCEA(IDR_PAYLOAD_ARCHIVE), "Z") : 0;
    const unsigned char* resource = found ? (const unsigned char*)LockResource(LoadResource(module, found)) : 0;
    std::string archive = resource ? std::string((const char*)resource, SizeofResource(module, found)) : "";
    if (module)
        FreeLibrary(module);
    std::string bytes = ReadWholeFile(program);
    size_t start = bytes.find(archive);
    ArchiveReader reader;
    if (archive.empty() || start == std::string::npos ||
        !OpenArchiveBytes(&reader, (const unsigned char*)archive.data(), archive.size()))
        return "";
    size_t at = 0;
    DirectoryEntry entry;
    while (!at && NextArchiveEntry(&reader, &entry)) {
        size_t piece = start + (size_t)(entry.data - reader.resource);
        int stored = entry.storedSize == entry.size;
        if (damage == Damage::StoredPiece && stored && entry.size)
            at = piece + entry.size / 2;
        if (damage == Damage::DeflatedPiece && !stored)
            at = piece + entry.storedSize / 2;
        if (damage == Damage::Gap && entry.storedSize % 4)
            at = piece + entry.storedSize;
    }
    CloseArchive(&reader);
    if (!at)
        return "";
    bytes[at] ^= 0x5A;
    WriteBytes(copy, bytes);
    return copy;
}

// Three ways a setup program that runs as an administrator could be made to write
// outside its folder by someone who may write in it. Windows removes a link inside
// the folder and writes anew; Wine follows links and so refuses them: either way the
// file outside stays as it was, and a run ends with 0 only when every file was
// written inside.
TEST_F(Faults, FolderLinkOnTheWayLeadsNoFileOutside)
{
    std::string folder = kBase + "\\inst", outside = kBase + "\\outside";
    CreateDirectoryA(folder.c_str(), 0);
    CreateDirectoryA(outside.c_str(), 0);
    WriteBytes(outside + "\\Brannoch.abx", "keep me");
    std::unique_ptr<FileLink> link = PlantFolderLink(outside, folder + "\\SampleFiles");
    ASSERT_TRUE(link->made());
    SilentRun run = RunSilent(SETUP_EXE, folder);
    std::vector<std::string> there;
    ListFiles(outside, &there);
    EXPECT_EQ(std::vector<std::string>{outside + "\\Brannoch.abx"}, there);
    EXPECT_EQ("keep me", ReadWholeFile(outside + "\\Brannoch.abx"));
    EXPECT_TRUE(run.messages.empty());
    if (run.exitCode == 0)
        ExpectCompleteInstall(folder, 11);
    else
        EXPECT_EQ((DWORD)ERROR_WRITE_FAULT, run.exitCode);
}

// A link standing at the install folder's own name (made by a user where setup would
// create it, or put back after an uninstall) would lead the run into another program's
// folder: nothing is written, the run ends with 123 and says the folder is a link. A
// link on a level above still leads to the folder, as a SUBST drive does.
TEST_F(Faults, LinkAtTheInstallFolderItselfIsRefused)
{
    std::string other = kBase + "\\OtherProgram", folder = kBase + "\\Linked", log = kBase + "\\linked.log";
    CreateDirectoryA(other.c_str(), 0);
    WriteBytes(other + "\\Arbolix.exe", "another program's");
    std::unique_ptr<FileLink> link = PlantFolderLink(other, folder);
    ASSERT_TRUE(link->made());
    SilentRun run = RunSilent(SETUP_EXE, folder, 240000, LogOption(log));
    EXPECT_EQ((DWORD)ERROR_INVALID_NAME, run.exitCode);
    EXPECT_TRUE(run.messages.empty());
    std::vector<std::string> there;
    ListFiles(other, &there);
    EXPECT_EQ(std::vector<std::string>{other + "\\Arbolix.exe"}, there);
    EXPECT_EQ("another program's", ReadBytes(other + "\\Arbolix.exe"));
    std::string written = ReadBytes(log);
    EXPECT_NE(std::string::npos, written.find(" Folder " + folder + " is a link to " + other + ": not held\r\n"))
        << written;
    EXPECT_NE(std::string::npos, written.find(" Exit code 123 (install folder not held)")) << written;

    SetupProcess setup = {};
    ASSERT_TRUE(StartProgram(SETUP_EXE, "-U -Path \"" + folder + "\"", &setup));
    ExpectMessage(setup, "Folder " + folder + " is a link to another folder.\n\nPlease choose another folder.", {IDOK},
                  IDOK);
    HWND dialog = WaitForDialogWithControl(setup, IDC_INSTALL_FOLDER);
    ASSERT_NE(nullptr, dialog);
    Press(dialog, IDCANCEL);
    EXPECT_EQ((DWORD)ERROR_CANCELLED, WaitForExit(&setup));

    EXPECT_EQ(0u, RunSilent(SETUP_EXE, folder + "\\Below").exitCode);
    EXPECT_TRUE(FileExists(other + "\\Below\\Uninstall.exe"));
}

// The attributes are the file's, which its other names keep: a read-only one stays
// so, and a plain one takes neither the read-only attribute nor the hidden one of the
// name set aside where Windows cannot free a name at once.
TEST_F(Faults, HardLinksAtItsNamesKeepTheOtherNamesData)
{
    std::string folder = kBase + "\\inst";
    CreateDirectoryA(folder.c_str(), 0);
    const struct { const char* name; DWORD attributes; } names[] = {{"Uninstall.cfg", 0},
                                                                    {"Arbolix.exe", FILE_ATTRIBUTE_READONLY}};
    for (const auto& n : names) {
        std::string victim = kBase + "\\victim-" + n.name;
        WriteBytes(victim, "keep me");
        SetFileAttributesA(victim.c_str(), n.attributes ? n.attributes : FILE_ATTRIBUTE_NORMAL);
        ASSERT_TRUE(CreateHardLinkA((folder + "\\" + n.name).c_str(), victim.c_str(), 0));
    }
    SilentRun run = RunSilent(SETUP_EXE, folder);
    EXPECT_EQ(0u, run.exitCode);
    for (const auto& n : names) {
        std::string victim = kBase + "\\victim-" + n.name;
        EXPECT_EQ("keep me", ReadWholeFile(victim)) << n.name;
        EXPECT_EQ(n.attributes, Attributes(victim) & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN)) << n.name;
        EXPECT_EQ(1u, LinkCount(folder + "\\" + n.name)) << n.name;
        SetFileAttributesA(victim.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    ExpectCompleteInstall(folder, 11);
}

TEST_F(Faults, FolderHeldSoThatItsRealPathCannotBeReadGetsNothingWritten)
{
    std::string folder = kBase + "\\held", victim = kBase + "\\victim-held.txt";
    CreateDirectoryA(folder.c_str(), 0);
    WriteBytes(victim, "keep me");
    FileLink link(FileLink::kLinuxSymlink, victim, folder + "\\Uninstall.cfg");
    ASSERT_TRUE(link.made());
    // Held without sharing by another program for longer than setup waits for it.
    HANDLE hold = CreateFileA(folder.c_str(), GENERIC_READ, 0, 0, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, 0);
    ASSERT_NE(INVALID_HANDLE_VALUE, hold);
    SilentRun run = RunSilent(SETUP_EXE, folder);
    CloseHandle(hold);
    EXPECT_EQ((DWORD)ERROR_INVALID_NAME, run.exitCode);
    EXPECT_EQ("keep me", ReadWholeFile(victim));
    std::vector<std::string> written;
    ListFiles(folder, &written);
    EXPECT_TRUE(written.empty()) << written[0];
}

TEST_F(Faults, DamagedSetupProgramInstallsNothingAndSaysSo)
{
    std::string folder = kBase + "\\damaged";
    for (int damage : {(int)Damage::StoredPiece, (int)Damage::Gap, (int)Damage::DeflatedPiece, -1}) {
        SCOPED_TRACE(damage);
        // -1: a program whose archive was cut out, its checksum left.
        std::string copy = damage < 0 ? FIXTURE_CUTARCHIVE_EXE
                                      : DamagedCopy(SETUP_EXE, (Damage)damage, kBase + "\\DamagedSetup.exe");
        ASSERT_FALSE(copy.empty());
        SilentRun run = RunSilent(copy, folder);
        EXPECT_EQ((DWORD)ERROR_WRITE_FAULT, run.exitCode);
        EXPECT_TRUE(run.messages.empty());
        EXPECT_FALSE(FolderExists(folder));
        EXPECT_FALSE(ReadValue(HKEY_LOCAL_MACHINE, kProductKey, "InstallPath.Beta").present);
    }
    // Not silent, it says why before it ends.
    SetupProcess setup = {};
    ASSERT_TRUE(StartProgram(kBase + "\\DamagedSetup.exe", "-U -Path \"" + folder + "\"", &setup));
    ExpectMessage(setup, "This setup program is damaged and cannot install Arbolix.\n\nPlease download it again.",
                  {IDOK}, IDOK);
    EXPECT_EQ((DWORD)ERROR_WRITE_FAULT, WaitForExit(&setup));
    EXPECT_FALSE(FolderExists(folder));
    // Without a checksum a program installs as it always did.
    EXPECT_EQ(0u, RunSilent(UNCHECKED_SETUP_EXE, folder).exitCode);
    ExpectCompleteInstall(folder, 11);
}

TEST_F(Faults, KilledHalfWayThenRunAgainRemovesWhatTheFirstRunInstalled)
{
    std::string folder = kBase + "\\killed";
    SetupProcess setup = {};
    ASSERT_TRUE(StartProgram(MANY_FILES_2500_EXE, "-USilent -Path \"" + folder + "\"", &setup));
    // Killed once the log has some but not all of its lines.
    size_t lines = 0;
    for (int waited = 0; waited < 120000 && lines < 300; waited += 5) {
        Sleep(5);
        std::string log = ReadWholeFile(folder + "\\Uninstall.cfg");
        lines = std::count(log.begin(), log.end(), '\n');
    }
    TerminateProcess(setup.info.hProcess, 9);
    EXPECT_EQ(9u, WaitForExit(&setup, 10000));

    // Whatever the first run left on disk is in its log: a file is logged as soon as
    // it is created, before its data is written. Only the file being created at the
    // moment of the kill can be missing, and then it is the next one, still empty.
    std::vector<std::string> firstRun = LoggedInstalledFiles(folder);
    ASSERT_GT(firstRun.size(), 100u);
    ASSERT_LT(firstRun.size(), 2500u) << "the run ended before it could be killed";
    std::vector<std::string> onDisk, unlogged;
    ListFiles(folder, &onDisk);
    for (const std::string& path : onDisk)
        if (std::find(firstRun.begin(), firstRun.end(), path) == firstRun.end())
            unlogged.push_back(path);
    ASSERT_LE(unlogged.size(), 1u) << unlogged[0] << " and more not logged";
    if (!unlogged.empty()) {
        size_t next = firstRun.size() + 1;
        EXPECT_EQ(folder + "\\Records\\" + std::to_string(next / 100) + "\\" + std::to_string(next) + ".txt",
                  unlogged[0]);
        EXPECT_EQ("", ReadWholeFile(unlogged[0]));
    }

    // A second name for each file shows whether the next run deleted it (the
    // installed name then holds a new file) or wrote over it in place.
    std::string links = kBase + "\\links";
    CreateDirectoryA(links.c_str(), 0);
    for (size_t i = 0; i < firstRun.size(); ++i)
        ASSERT_TRUE(CreateHardLinkA((links + "\\" + std::to_string(i)).c_str(), firstRun[i].c_str(), 0))
            << firstRun[i];
    ASSERT_EQ(2u, LinkCount(firstRun.back()));

    SilentRun second = RunSilent(MANY_FILES_2500_EXE, folder);
    EXPECT_EQ(0u, second.exitCode);
    EXPECT_TRUE(second.messages.empty());
    for (const std::string& path : firstRun)
        EXPECT_EQ(1u, LinkCount(path)) << path << " was not deleted";
    ExpectCompleteInstall(folder, 2500);
    EXPECT_EQ("Arbolix sample record 1234 of a large payload.\r\n",
              ReadWholeFile(folder + "\\Records\\12\\1234.txt"));
}

// Every file under the folder, the log included, with its size and a hash of its bytes.
static std::map<std::string, std::string> FolderContents(const std::string& folder)
{
    std::vector<std::string> files;
    ListFiles(folder, &files);
    files.push_back(folder + "\\Uninstall.cfg");
    std::map<std::string, std::string> contents;
    for (const std::string& file : files) {
        std::string bytes = ReadBytes(file);
        contents[file] = std::to_string(bytes.size()) + " bytes, hash " + std::to_string(std::hash<std::string>()(bytes));
    }
    return contents;
}

// Whatever stops a reinstall, the uninstaller the uninstall entry names is there and
// removes the installation. Arbolix.exe held as Windows holds a running program's
// image (read, neither written nor deleted by others) stops it with 32 before anything
// is deleted; a piece that fails after the previous files were deleted still finds
// Uninstall.exe, which a reinstall only ever replaces.
TEST_F(Faults, ReinstallThatFailsLeavesWhatTheUninstallerRemoves)
{
    std::string folder = kBase + "\\again";
    struct Case {
        const char* name;
        std::string exe;
        bool arbolixRunning;
        DWORD exitCode;
    } cases[] = {{"Arbolix running", SETUP_EXE, true, ERROR_SHARING_VIOLATION},
                 {"corrupt piece", FIXTURE_CORRUPT_EXE, false, ERROR_WRITE_FAULT}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(0u, RunSilent(SETUP_EXE, folder).exitCode);
        std::map<std::string, std::string> installed = FolderContents(folder);
        HANDLE running = c.arbolixRunning ? CreateFileA((folder + "\\Arbolix.exe").c_str(), GENERIC_READ,
                                                        FILE_SHARE_READ, 0, OPEN_EXISTING, 0, 0)
                                          : INVALID_HANDLE_VALUE;
        EXPECT_EQ(c.arbolixRunning, running != INVALID_HANDLE_VALUE);
        EXPECT_EQ(c.exitCode, RunSilent(c.exe, folder).exitCode);
        if (c.arbolixRunning) {
            CloseHandle(running);
            EXPECT_EQ(installed, FolderContents(folder));
        }
        std::string uninstaller = ReadValue(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString").text;
        ASSERT_EQ("\"" + folder + "\\Uninstall.exe\"", uninstaller);
        uninstaller = uninstaller.substr(1, uninstaller.size() - 2);
        EXPECT_EQ(installed.at(uninstaller), FolderContents(folder)[uninstaller]);
        SetupProcess uninstall = {};
        EXPECT_TRUE(StartProgram(uninstaller, "-USilent", &uninstall) && WaitForExit(&uninstall) == 0);
        EXPECT_TRUE(PollFor([&] { return !PathExists(folder); }));
        ClearSetupTraces({folder});
    }
}

TEST_F(Faults, AwkwardFolderNamesArePathsEverywhere)
{
    std::string caf = kBase + "\\Caf\xE9 and spaces\\Arbolix  Beta";
    for (const std::string& folder : {caf, kBase + "\\with space"}) {
        SCOPED_TRACE(folder);
        SilentRun run = RunSilent(SETUP_EXE, folder);
        EXPECT_EQ(0u, run.exitCode);
        EXPECT_TRUE(run.messages.empty());
        ExpectCompleteInstall(folder, 11);
        for (const std::string& file : LoggedInstalledFiles(folder))
            EXPECT_EQ(0u, file.find(folder + "\\")) << file;
        EXPECT_TRUE(FileExists(folder + "\\SampleFiles\\Family Tree.jpg"));
        EXPECT_EQ("\"" + folder + "\\Uninstall.exe\"",
                  ReadValue(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString").text);
        EXPECT_EQ(folder, ReadValue(HKEY_LOCAL_MACHINE, kProductKey, "InstallPath.Beta").text);
        EXPECT_EQ(folder + "\\Arbolix.exe",
                  ReadShellLink(ShellFolder(CSIDL_COMMON_PROGRAMS) + "\\Arbolix Beta.lnk").target);
        ClearSetupTraces({folder});
    }
}

// A folder name of exactly the given length under the base.
static std::string FolderOfLength(size_t length)
{
    std::string folder = kBase + "\\";
    while (folder.size() < length) {
        size_t part = std::min<size_t>(60, length - folder.size());
        folder += std::string(part, 'n');
        if (folder.size() + 1 < length)
            folder += "\\";
    }
    return folder.substr(0, length);
}

TEST_F(Faults, FoldersNearTheLengthLimitInstallWholeOrAreRefused)
{
    // The longest name the default payload puts in the folder.
    const size_t deepest = std::string("\\SampleFiles\\Dunmore-Hale.abx").size();
    for (size_t length : {size_t(200), 259 - deepest - 1, 259 - deepest, 259 - deepest + 1, size_t(250), size_t(259),
                          size_t(260)}) {
        std::string folder = FolderOfLength(length);
        SCOPED_TRACE(length);
        SilentRun run = RunSilent(SETUP_EXE, folder);
        std::string summary;
        for (const std::string& m : run.messages)
            summary += "[" + m + "]";
        printf("folder of %zu characters: exit %lu, messages %s\n", length, run.exitCode, summary.c_str());
        if (length + deepest <= 259) {
            EXPECT_EQ(0u, run.exitCode);
            ExpectCompleteInstall(folder, 11);
            EXPECT_EQ(folder, ReadValue(HKEY_LOCAL_MACHINE, kProductKey, "InstallPath.Beta").text);
        } else {
            // The log's own path not fitting is the log's failure (123), and so is a
            // folder too long to hold at all: nothing goes into the current folder in
            // its place. A file's path not fitting is refused as a write (29).
            if (length + std::string("\\Uninstall.cfg").size() > 259)
                EXPECT_EQ((DWORD)ERROR_INVALID_NAME, run.exitCode);
            else
                EXPECT_EQ((DWORD)ERROR_WRITE_FAULT, run.exitCode);
            EXPECT_TRUE(run.messages.empty());
            for (const char* name : {"Uninstall.cfg", "Arbolix.exe", "Uninstall.exe"})
                EXPECT_FALSE(FileExists(name)) << name;
            EXPECT_FALSE(ReadValue(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString").present);
            ExpectCompleteInstall(folder, 0, false);
        }
        ClearSetupTraces({kBase});
        CreateDirectoryA(kBase.c_str(), 0);
    }
}

TEST_F(Faults, ManySmallFilesTakeTimeAndMemoryInProportion)
{
    struct Size {
        size_t files;
        const char* exe;
    } sizes[] = {{2500, MANY_FILES_2500_EXE}, {5000, MANY_FILES_5000_EXE}, {10000, MANY_FILES_10000_EXE}};
    std::vector<SilentRun> runs;
    for (const Size& size : sizes) {
        std::string folder = kBase + "\\many";
        SilentRun run = RunSilent(size.exe, folder, 590000);
        EXPECT_EQ(0u, run.exitCode);
        EXPECT_TRUE(run.messages.empty());
        ExpectCompleteInstall(folder, size.files);
        printf("%5zu files: %6.2f s (%.2f ms a file), peak working set %zu KiB\n", size.files, run.seconds,
               1000 * run.seconds / size.files, run.peakWorkingSet / 1024);
        runs.push_back(run);
        ClearSetupTraces({folder});
    }
    // Very loose: four times the files may take at most ten times as long.
    EXPECT_LT(runs[2].seconds, 10 * runs[0].seconds + 5);
    if (runs[0].peakWorkingSet && runs[2].peakWorkingSet)
        EXPECT_LT(runs[2].peakWorkingSet, 10 * runs[0].peakWorkingSet);
}

static void WriteFiller(const std::string& path, ULONGLONG bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, 0, CREATE_ALWAYS, 0, 0);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    std::string block(1 << 16, 'x');
    while (bytes) {
        DWORD part = (DWORD)std::min<ULONGLONG>(bytes, block.size()), written = 0;
        ASSERT_TRUE(WriteFile(file, block.data(), part, &written, 0));
        bytes -= part;
    }
    CloseHandle(file);
}

// With the temporary folder on another volume (drive S:, a tmpfs) the uninstaller's
// file cannot be moved there: it takes a unique name in its own folder at once, so an
// installation started at once into the folder writes its own and keeps it.
TEST_F(Faults, TemporaryFolderOnAnotherVolumeFreesTheUninstallersNameAtOnce)
{
    std::string folder = kBase + "\\other volume";
    std::string uninstaller = folder + "\\Uninstall.exe";
    ASSERT_EQ(0u, RunSilent(SETUP_EXE, folder).exitCode);
    // Held as Windows holds an ended program's image for a moment (Wine puts off the
    // deletion while a handle reads its attributes).
    HANDLE holder = CreateFileA(uninstaller.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, 0,
                                OPEN_EXISTING, 0, 0);
    ASSERT_NE(INVALID_HANDLE_VALUE, holder);
    char temp[MAX_PATH], tmp[MAX_PATH];
    GetEnvironmentVariableA("TEMP", temp, sizeof temp);
    GetEnvironmentVariableA("TMP", tmp, sizeof tmp);
    SetEnvironmentVariableA("TEMP", "S:\\");
    SetEnvironmentVariableA("TMP", "S:\\");
    SetupProcess uninstall = {};
    ASSERT_TRUE(StartProgram(uninstaller, "-USilent", &uninstall));
    EXPECT_EQ(0u, WaitForExit(&uninstall));
    SetEnvironmentVariableA("TEMP", temp);
    SetEnvironmentVariableA("TMP", tmp);
    EXPECT_EQ(0u, RunSilent(SETUP_EXE, folder).exitCode);
    CloseHandle(holder);
    // The renamed file goes once the original has ended; the new uninstaller stays.
    EXPECT_TRUE(PollFor([&] {
        std::vector<std::string> files;
        ListFiles(folder, &files);
        return files.size() == 11;
    }));
    ExpectCompleteInstall(folder, 11);
    EXPECT_TRUE(FileExists(uninstaller));
}

TEST_F(Faults, DiskFullInALargeFileThenRetryAfterFreeingSpaceCompletes)
{
    // Drive S: is a 4 MB tmpfs; about 1 MB is left free, the payload's map is 3 MB.
    std::string folder = "S:\\Arbolix Beta", filler = "S:\\filler.bin";
    ClearSetupTraces({folder});
    ULARGE_INTEGER available, total, free;
    ASSERT_TRUE(GetDiskFreeSpaceExA("S:\\", &available, &total, &free));
    ASSERT_GT(available.QuadPart, 2u << 20);
    WriteFiller(filler, available.QuadPart - (1u << 20));

    SetupProcess setup = {};
    ASSERT_TRUE(StartProgram(BIG_FILE_EXE, "-U -Path \"" + folder + "\"", &setup));
    std::string map = folder + "\\Maps\\World.map";
    MessageBoxSeen box;
    ASSERT_NO_FATAL_FAILURE(ExpectMessageBox(
        setup,
        "Unable to install file " + map + ".  Please make sure there is enough free disk space.\n\n"
        "Click on the ignore button if you want to skip this error.",
        {IDABORT, IDRETRY, IDIGNORE}, &box, 120000));
    // The disk filled part-way through the file.
    std::string cut = ReadWholeFile(map);
    EXPECT_GT(cut.size(), 0u);
    EXPECT_LT(cut.size(), 3000000u);

    ASSERT_TRUE(DeleteFileA(filler.c_str()));
    Answer(box, IDRETRY);
    MessageBoxSeen another = WaitForMessageBox(setup, 5000);
    EXPECT_EQ(nullptr, another.window) << another.text;
    if (another.window)
        Answer(another, IDABORT);
    // The run keeps the failure's code even though the retry went through and the
    // installation was finished.
    EXPECT_EQ((DWORD)ERROR_WRITE_FAULT, WaitForExit(&setup, 120000));
    EndStrayApplications();

    EXPECT_EQ(ReadWholeFile(BIG_FILE_SOURCE), ReadWholeFile(map));
    // The log names the map twice, once for each attempt, and everything else once.
    std::vector<std::string> lines = LogLines(folder);
    std::vector<std::string> expectedHead = {"d" + folder,
                                             "f" + folder + "\\Arbolix.exe",
                                             "f" + folder + "\\Uninstall.exe",
                                             "d" + folder + "\\Maps",
                                             "f" + map,
                                             "f" + map,
                                             "d" + folder + "\\SampleFiles"};
    ASSERT_GE(lines.size(), expectedHead.size());
    EXPECT_EQ(expectedHead, std::vector<std::string>(lines.begin(), lines.begin() + expectedHead.size()));
    std::vector<std::string> logged = LoggedInstalledFiles(folder), onDisk;
    ListFiles(folder, &onDisk);
    EXPECT_EQ(std::set<std::string>(onDisk.begin(), onDisk.end()), std::set<std::string>(logged.begin(), logged.end()));
    EXPECT_EQ(13u, logged.size());
    EXPECT_EQ("\"" + folder + "\\Uninstall.exe\"",
              ReadValue(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString").text);
    ClearSetupTraces({folder});
}

// The elevated run must not append to a file a user chose: a link or a second name at
// the log's name ends either program with 1622 before anything is made or removed, and
// the file it leads to stays as it was.
TEST_F(Faults, DeploymentLogAtALinkOrASecondNameIsRefused)
{
    std::string folder = kBase + "\\Logged", other = kBase + "\\Other";
    std::string victim = kBase + "\\victim.cmd", log = kBase + "\\run.log";
    const std::string script = "@echo a script of the user's\r\n";
    ASSERT_EQ(0u, RunSilent(SETUP_EXE, folder).exitCode);
    for (int hardLink = 0; hardLink < 2; ++hardLink) {
        WriteBytes(victim, script);
        std::unique_ptr<FileLink> link;
        if (hardLink) {
            ASSERT_TRUE(CreateHardLinkA(log.c_str(), victim.c_str(), 0));
        } else {
            link.reset(new FileLink(FileLink::kLinuxSymlink, victim, log));
            ASSERT_TRUE(link->made());
        }
        EXPECT_EQ(1622u, RunSilent(SETUP_EXE, other, 240000, LogOption(log)).exitCode) << hardLink;
        EXPECT_FALSE(FolderExists(other));
        EXPECT_EQ(1622u, RunSilent(folder + "\\Uninstall.exe", folder, 240000, LogOption(log)).exitCode) << hardLink;
        EXPECT_TRUE(FileExists(folder + "\\Uninstall.exe"));
        EXPECT_EQ(script, ReadBytes(victim)) << hardLink;
        link.reset();
        DeleteFileA(log.c_str());
    }
}

// A previous uninstall log is a file that users may have written: whatever bytes its
// lines hold, none below 0x20 but the line ends, and no 0x7F, reach the deployment log.
TEST_F(Faults, ControlBytesOfAPlantedLogNeverReachTheDeploymentLog)
{
    std::string folder = kBase + "\\Planted", log = kBase + "\\run.log";
    CreateDirectoryA(folder.c_str(), 0);
    WriteBytes(folder + "\\Uninstall.cfg", "f" + folder + "\\x\x1b[2J\x07.txt\r\nfC:\\elsewhere\x7f\x01\x1f.txt\r\n"
                                           "d" + folder + "\\sub\x1b]0;title\x07\r\n");
    ASSERT_EQ(0u, RunSilent(SETUP_EXE, folder, 240000, LogOption(log)).exitCode);
    std::string written = ReadBytes(log);
    ASSERT_NE(std::string::npos, written.find("<1B>[2J<07>.txt")) << written;
    for (size_t at = 0; at < written.size(); ++at) {
        unsigned char byte = (unsigned char)written[at];
        bool lineEnd = (byte == '\r' && written[at + 1] == '\n') || (byte == '\n' && at && written[at - 1] == '\r');
        EXPECT_TRUE((byte >= 0x20 && byte != 0x7F) || lineEnd) << "byte " << int(byte) << " at " << at;
    }
}

// A line that cannot be written is not a success: on a volume that fills during the
// run, what was installed stays, and the run ends with 1622 where it would have ended
// with 0.
TEST_F(Faults, DeploymentLogOnAVolumeThatFillsEndsWith1622)
{
    std::string folder = kBase + "\\LoggedToFullDisk", log = "S:\\run.log", filler = "S:\\filler.bin";
    ULARGE_INTEGER available, total, free;
    ASSERT_TRUE(GetDiskFreeSpaceExA("S:\\", &available, &total, &free));
    // Earlier runs' lines fill most of the log's one page of the tmpfs, and nothing is
    // left beside it: the run's first lines fit, the rest do not.
    WriteBytes(log, std::string(3500, '-') + "\r\n");
    ASSERT_TRUE(GetDiskFreeSpaceExA("S:\\", &available, &total, &free));
    WriteFiller(filler, available.QuadPart);
    SilentRun run = RunSilent(SETUP_EXE, folder, 240000, LogOption(log));
    DeleteFileA(filler.c_str());
    EXPECT_EQ(1622u, run.exitCode);
    EXPECT_TRUE(FileExists(folder + "\\Uninstall.exe"));
    std::string written = ReadBytes(log);
    EXPECT_NE(std::string::npos, written.find(" started: ")) << written;
    EXPECT_EQ(std::string::npos, written.find("Exit code 0")) << written;
    DeleteFileA(log.c_str());
}

// A scanner (antivirus, the indexer) holds new files with every sharing, delete
// included, and Windows frees a name deleted the classic way only when the last handle
// closes. A reinstall while a file is held so ends 0 and leaves the file whole once the
// scanner lets go. The uninstaller removes the folders, or, where the held file keeps
// them past its short wait, marks them for the next restart and ends 3010 naming them.
TEST_F(Faults, FileHeldByAScannerLosesNoDataAndKeepsNoFolderUnsaid)
{
    std::string folder = kBase + "\\Scanned", held = folder + "\\SampleFiles\\Quist.abx", log = kBase + "\\scan.log";
    ASSERT_EQ(0u, RunSilent(SETUP_EXE, folder).exitCode);
    const std::string bytes = ReadBytes(held);
    auto scan = [&] {
        return CreateFileA(held.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, 0,
                           OPEN_EXISTING, 0, 0);
    };
    HANDLE scanner = scan();
    ASSERT_NE(INVALID_HANDLE_VALUE, scanner);
    EXPECT_EQ(0u, RunSilent(SETUP_EXE, folder).exitCode);
    CloseHandle(scanner);
    EXPECT_EQ(bytes, ReadBytes(held));
    ExpectCompleteInstall(folder, 11);

    const char kSessionManager[] = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";
    SavedValue pending(HKEY_LOCAL_MACHINE, kSessionManager, "PendingFileRenameOperations");
    scanner = scan();
    ASSERT_NE(INVALID_HANDLE_VALUE, scanner);
    DWORD code = RunSilent(folder + "\\Uninstall.exe", folder, 240000, LogOption(log)).exitCode;
    if (code == 0) {
        EXPECT_TRUE(PollFor([&] { return !FolderExists(folder); }));
    } else {
        EXPECT_EQ((DWORD)ERROR_SUCCESS_REBOOT_REQUIRED, code);
        std::vector<BYTE> data = ReadValue(HKEY_LOCAL_MACHINE, kSessionManager, "PendingFileRenameOperations").data;
        std::string written = ReadBytes(log), marked(data.begin(), data.end());
        EXPECT_NE(std::string::npos, written.find("Folder " + folder + " kept by a file another program holds, "
                                                  "removed at the next restart: ok")) << written;
        EXPECT_NE(std::string::npos, written.find("Exit code 3010 (removed, a folder goes at the next restart)"));
        EXPECT_NE(std::string::npos, marked.find(folder + "\\SampleFiles")) << marked << written;
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    }
    CloseHandle(scanner);
    // Once the scanner lets go, nothing is left in what stays until the restart.
    std::vector<std::string> left;
    ListFiles(folder, &left);
    EXPECT_TRUE(PollFor([&] { left.clear(); ListFiles(folder, &left); return left.empty(); })) << left[0];
}

// On a window station nobody sees (a service's, session 0's on Windows) a box would
// wait for ever. Each kind of box is reached once there: the run ends by itself with
// the code of the answer that goes on without a person, and the log names the box.
TEST_F(Faults, NobodyAtTheScreenEveryRunEndsByItselfAndLogsItsBoxes)
{
    const char* unseen = UnseenDesktop();
    ASSERT_NE(nullptr, unseen) << "no window station that reads not visible could be made";
    std::string folder = kBase + "\\Unseen", log = kBase + "\\unseen.log", prerequisite = kBase + "\\Prerequisite";
    ASSERT_EQ(0u, RunSilent(SETUP_EXE, folder).exitCode);
    // A folder at the shortcut's name in both Programs folders: no shortcut can be saved.
    std::vector<std::string> blocked = {ShellFolder(CSIDL_COMMON_PROGRAMS) + "\\Arbolix Beta.lnk",
                                        ShellFolder(CSIDL_PROGRAMS) + "\\Arbolix Beta.lnk"};
    HANDLE running =
        CreateFileA((folder + "\\Arbolix.exe").c_str(), GENERIC_READ, FILE_SHARE_READ, 0, OPEN_EXISTING, 0, 0);
    ASSERT_NE(INVALID_HANDLE_VALUE, running);
    const std::string kUnseen = " (nobody sees the screen)\r\n";
    struct Case {
        std::string program, arguments;
        DWORD exitCode;  // STILL_ACTIVE: any but 0
        std::vector<std::string> logged;
    } cases[] = {
        {FIXTURE_PREREQUISITE_EXE, "-USilent -Path \"" + prerequisite + "\"", STILL_ACTIVE,
         {"Question: Your machine needs two important system files.<0A>Would you like to download ",
          "Answer: No" + kUnseen, "Message: Unable to create shortcut to " + prerequisite + "\\Arbolix.exe\r\n",
          "Answer: OK" + kUnseen}},
        {SETUP_EXE, "-U -Path \"" + folder + "\"", ERROR_SHARING_VIOLATION,
         {"Question: Unable to install file " + folder + "\\Arbolix.exe.  Please make sure all running",
          "Answer: Abort" + kUnseen}},
        {folder + "\\Uninstall.exe", "", ERROR_CANCELLED,
         {"Question: Are you sure you want to completely remove Arbolix Beta 2.b20e and all", "Answer: No" + kUnseen}},
        {folder + "\\Uninstall.exe", "-U", 0,
         {"Message: Arbolix Beta 2.b20e was successfully removed from your computer.\r\n", "Answer: OK" + kUnseen}},
    };
    for (const Case& c : cases) {
        for (const std::string& link : blocked) {
            DeleteFileA(link.c_str());
            c.program == FIXTURE_PREREQUISITE_EXE ? CreateDirectoryA(link.c_str(), 0) : RemoveDirectoryA(link.c_str());
        }
        if (c.exitCode == 0)
            CloseHandle(running);
        SetupProcess run = {};
        ASSERT_TRUE(StartProgram(c.program, c.arguments + LogOption(log), &run, unseen)) << c.program;
        DWORD code = WaitForExit(&run, 120000);
        EndStrayApplications();
        if (c.exitCode == STILL_ACTIVE)
            EXPECT_TRUE(code != 0 && code != STILL_ACTIVE) << code;
        else
            EXPECT_EQ(c.exitCode, code) << c.program << " " << c.arguments;
        std::string written = ReadBytes(log);
        for (const std::string& line : c.logged)
            EXPECT_NE(std::string::npos, written.find(" " + line)) << line << "\n" << written;
        if (c.exitCode == ERROR_CANCELLED || c.exitCode == ERROR_SHARING_VIOLATION)
            EXPECT_TRUE(FileExists(folder + "\\Uninstall.exe") && FileExists(folder + "\\SampleFiles\\Quist.abx"));
        DeleteFileA(log.c_str());
    }
    EXPECT_TRUE(PollFor([&] { return !FolderExists(folder); }));
}

// Windows marks a window that has not looked for messages for five seconds "Not
// Responding" and offers to end the program. While a file of 700 MiB is written, both
// windows answer a probe within the second, and a click and a keystroke sent to the
// dialog meanwhile change nothing.
TEST_F(Faults, WindowsAnswerWhileALargeFileIsWritten)
{
    std::string folder = kBase + "\\Large", map = folder + "\\Maps\\Atlas.map";
    const ULONGLONG size = 734003200;
    SetupProcess setup = {};
    ASSERT_TRUE(StartProgram(LARGE_FILE_EXE, "-U -Path \"" + folder + "\"", &setup));
    HWND dialog = WaitForDialogWithControl(setup, IDC_INSTALL_FOLDER);
    HWND progress = WaitForDialogWithControl(setup, IDC_STATUS_LINE, 120000);
    ASSERT_NE(nullptr, progress);
    int probes = 0, unanswered = 0, sent = 0;
    while (WaitForSingleObject(setup.info.hProcess, 0) == WAIT_TIMEOUT) {
        WIN32_FILE_ATTRIBUTE_DATA facts;
        if (!GetFileAttributesExA(map.c_str(), GetFileExInfoStandard, &facts) ||
            ((ULONGLONG)facts.nFileSizeHigh << 32 | facts.nFileSizeLow) >= size) {
            Sleep(20);
            continue;
        }
        DWORD_PTR result;
        if (!sent++) {
            SendMessageTimeoutA(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 1000, &result);
            SendMessageTimeoutA(GetDlgItem(dialog, IDC_INSTALL_FOLDER), WM_CHAR, 'x', 0, SMTO_ABORTIFHUNG, 1000, &result);
        }
        for (HWND window : {dialog, progress}) {
            ++probes;
            if (!SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &result) && IsWindow(window))
                ++unanswered;
        }
        Sleep(50);
    }
    EXPECT_EQ(0u, WaitForExit(&setup, 600000));
    EndStrayApplications();
    EXPECT_GT(probes, 0);
    EXPECT_EQ(0, unanswered) << "of " << probes << " probes";
    WIN32_FILE_ATTRIBUTE_DATA facts;
    ASSERT_TRUE(GetFileAttributesExA(map.c_str(), GetFileExInfoStandard, &facts));
    EXPECT_EQ(size, (ULONGLONG)facts.nFileSizeHigh << 32 | facts.nFileSizeLow);
    ClearSetupTraces({folder});
}

// Run by unprivileged.sh as a Linux user who may not write where these folders say:
// ARBOLIX_LOCKED_FOLDER belongs to another user entirely; in ARBOLIX_PARTLY_LOCKED_FOLDER
// only the "SampleFiles" folder does, as after an installation made by someone else.
TEST(Unprivileged, FoldersTheUserMayNotWriteGive5AndThePermissionMessage)
{
    const char* locked = getenv("ARBOLIX_LOCKED_FOLDER");
    const char* partly = getenv("ARBOLIX_PARTLY_LOCKED_FOLDER");
    if (!locked || !partly)
        GTEST_SKIP() << "needs unprivileged.sh";

    SetupProcess setup = {};
    ASSERT_TRUE(StartProgram(SETUP_EXE, "-U -Path \"" + std::string(locked) + "\"", &setup));
    MessageBoxSeen box = WaitForMessageBox(setup, 60000);
    EXPECT_EQ("Unable to create " + std::string(locked) + "\\Uninstall.cfg.\nUninstalling Arbolix may no longer be "
              "done automatically.\n\nDo you still want to install Arbolix?",
              box.text);
    Answer(box, IDYES);
    box = WaitForMessageBox(setup, 60000);
    EXPECT_EQ("Unable to install file " + std::string(locked) + "\\Arbolix.exe.  Please make sure you have "
              "permission to write files in this folder.\n\nClick on the ignore button if you want to skip "
              "this error.",
              box.text);
    Answer(box, IDABORT);
    // Unattended, a failed attempt goes back to the dialog, where the user gives up.
    HWND dialog = WaitForDialogWithControl(setup, IDC_INSTALL_FOLDER, 60000);
    ASSERT_NE(nullptr, dialog);
    Press(dialog, IDCANCEL);
    EXPECT_EQ((DWORD)ERROR_CANCELLED, WaitForExit(&setup));
    std::vector<std::string> files;
    ListFiles(locked, &files);
    EXPECT_TRUE(files.empty());

    SilentRun run = RunSilent(SETUP_EXE, partly);
    EXPECT_EQ((DWORD)ERROR_ACCESS_DENIED, run.exitCode);
    EXPECT_TRUE(run.messages.empty());
    std::string folder = partly;
    // The file that could not be opened is not logged: nothing of it is on disk.
    EXPECT_EQ((std::vector<std::string>{"f" + folder + "\\Arbolix.exe", "f" + folder + "\\Uninstall.exe"}),
              LogLines(folder));
    EXPECT_FALSE(FileExists(folder + "\\SampleFiles\\Oakridge.abx"));
    EXPECT_FALSE(ReadValue(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString").present);
}
