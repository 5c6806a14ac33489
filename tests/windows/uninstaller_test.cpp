// The real Uninstall.exe under Wine, run on a synthetic installation: real files,
// real registry values and shortcuts in the real shell folders.
#include <gtest/gtest.h>
#include <shlwapi.h>
#include <stdio.h>

#include <set>
#include <string>
#include <vector>

#include "shell/shortcuts.h"
#include "tests/support/file_facts.h"
#include "tests/support/file_links.h"
#include "tests/support/machine_state.h"
#include "tests/support/registry_values.h"
#include "tests/support/registry_view.h"
#include "tests/support/temp_folder.h"
#include "tests/support/ui_driver.h"

static const char kConfirmation[] =
    "Are you sure you want to completely remove Arbolix Beta 2.b20e and all of its components?";
static const char kCompletion[] = "Arbolix Beta 2.b20e was successfully removed from your computer.";

static void WriteFileText(const std::string& path, const std::string& text, bool readOnly = true)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, 0);
    ASSERT_NE(INVALID_HANDLE_VALUE, file) << path;
    DWORD written = 0;
    WriteFile(file, text.data(), (DWORD)text.size(), &written, 0);
    CloseHandle(file);
    if (readOnly)
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
}

static void WriteNumberValue(HKEY hive, const char* key, const char* name, DWORD number)
{
    HKEY handle;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(hive, key, 0, 0, 0, KEY_WRITE | kProgramView, 0, &handle, 0));
    RegSetValueExA(handle, name, 0, REG_DWORD, (const BYTE*)&number, sizeof number);
    RegCloseKey(handle);
}

class Uninstaller : public ::testing::Test {
protected:
    std::string base, install, uninstaller, log;
    std::string commonPrograms, programs, desktop;
    std::set<std::string> copiesBefore;
    SetupProcess process = {};

    void SetUp() override
    {
        CoInitialize(0);
        ClearSetupTraces({});
        base = MakeTempFolder("uninstall");
        install = base + "\\Arbolix Beta";
        uninstaller = install + "\\Uninstall.exe";
        log = install + "\\Uninstall.cfg";
        commonPrograms = ShellFolder(CSIDL_COMMON_PROGRAMS) + "\\Arbolix Beta.lnk";
        programs = ShellFolder(CSIDL_PROGRAMS) + "\\Arbolix Beta.lnk";
        desktop = ShellFolder(CSIDL_DESKTOPDIRECTORY) + "\\Arbolix Beta.lnk";
        copiesBefore = TemporaryCopies();
    }

    void TearDown() override
    {
        if (process.info.hProcess)
            WaitForExit(&process, 0);
        // The copy ends a moment after the original; its file goes with it.
        EXPECT_TRUE(PollFor([&] { return TemporaryCopies() == copiesBefore; })) << "a temporary copy was left";
        ClearSetupTraces({base});
        CoUninitialize();
    }

    // What a fresh installation into a new folder leaves: files read-only, a folder
    // chain created in one step of which only the deepest is listed, a retried file
    // listed twice, a shortcut attempt that failed, the records in the registry.
    void MakeInstallation(const std::string& association = "Arbolix.Document")
    {
        ASSERT_TRUE(CreateDirectoryA(install.c_str(), 0));
        ASSERT_TRUE(CreateDirectoryA((install + "\\SampleFiles").c_str(), 0));
        ASSERT_TRUE(CreateDirectoryA((install + "\\SampleFiles\\Deeper").c_str(), 0));
        ASSERT_TRUE(CreateDirectoryA((install + "\\SampleFiles\\Deeper\\More").c_str(), 0));
        WriteFileText(install + "\\Arbolix.exe", "application");
        ASSERT_TRUE(CopyFileA(UNINSTALL_EXE, uninstaller.c_str(), FALSE));
        SetFileAttributesA(uninstaller.c_str(), FILE_ATTRIBUTE_READONLY);
        WriteFileText(install + "\\SampleFiles\\Family.abx", "tree");
        WriteFileText(install + "\\SampleFiles\\Photo.jpg", "jpeg");
        WriteFileText(install + "\\SampleFiles\\Deeper\\More\\Deep.abx", "deep");
        WriteShortcut(commonPrograms);
        WriteShortcut(desktop);
        WriteLog({"d" + install, "f" + install + "\\Arbolix.exe", "f" + uninstaller, "d" + install + "\\SampleFiles",
                  "f" + install + "\\SampleFiles\\Family.abx", "f" + install + "\\SampleFiles\\Photo.jpg",
                  "f" + install + "\\SampleFiles\\Photo.jpg", "d" + install + "\\SampleFiles\\Deeper\\More",
                  "f" + install + "\\SampleFiles\\Deeper\\More\\Deep.abx", "f" + install + "\\Gone.txt",
                  "f" + commonPrograms, "f" + programs, "f" + desktop});

        SetText(HKEY_LOCAL_MACHINE, kProductKey, "InstallPath.Beta", install.c_str());
        SetText(HKEY_LOCAL_MACHINE, kProductKey, "UserAcceptedAgreement", "Y");
        SetText(HKEY_LOCAL_MACHINE, kProductKey, "VersionInstalled.2.b20e", "8-12-2026");
        WriteNumberValue(HKEY_CURRENT_USER, kSettingsKey, "LicenseAgreement", 3);
        SetText(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString", ("\"" + uninstaller + "\"").c_str());
        SetText(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName", "Arbolix Beta 2.b20e");
        SetText(HKEY_LOCAL_MACHINE, kUninstallKey, "Publisher", "Arbolix Inc.");
        SetText(HKEY_LOCAL_MACHINE, kUninstallKey, "URLInfoAbout", "https://www.arbolix.example/");
        SetText(HKEY_LOCAL_MACHINE, kUninstallKey, "HelpLink", "https://www.arbolix.example/support");
        SetText(HKEY_LOCAL_MACHINE, kExtensionKey, 0, association.c_str());
    }

    // A shortcut as setup makes it, to this installation's application or another's.
    void WriteShortcut(const std::string& linkPath, std::string target = "")
    {
        if (target.empty())
            target = install + "\\Arbolix.exe";
        ASSERT_TRUE(CreateShellLink(linkPath.c_str(), target.c_str(), 0)) << linkPath;
    }

    void WriteLog(const std::vector<std::string>& lines)
    {
        std::string text;
        for (const std::string& line : lines)
            text += line + "\r\n";
        SetFileAttributesA(log.c_str(), FILE_ATTRIBUTE_NORMAL);
        WriteFileText(log, text);
    }

    DWORD Run(const std::string& arguments)
    {
        EXPECT_TRUE(StartProgram(uninstaller, arguments, &process));
        return WaitForExit(&process);
    }

    void Start(const std::string& arguments) { ASSERT_TRUE(StartProgram(uninstaller, arguments, &process)); }

    bool InstallFolderGone()
    {
        return PollFor([&] { return !FolderExists(install); });
    }

    void ExpectInstallationIntact()
    {
        for (const char* name : {"\\Arbolix.exe", "\\Uninstall.exe", "\\Uninstall.cfg", "\\SampleFiles\\Family.abx",
                                 "\\SampleFiles\\Photo.jpg", "\\SampleFiles\\Deeper\\More\\Deep.abx"})
            EXPECT_TRUE(FileExists(install + name)) << name;
        EXPECT_TRUE(FileExists(commonPrograms));
        EXPECT_TRUE(FileExists(desktop));
        EXPECT_EQ(install, ReadValue(HKEY_LOCAL_MACHINE, kProductKey, "InstallPath.Beta").text);
        EXPECT_EQ("\"" + uninstaller + "\"", ReadValue(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString").text);
        EXPECT_EQ("Arbolix.Document", ReadValue(HKEY_LOCAL_MACHINE, kExtensionKey, 0).text);
    }

    void ExpectRecordsGone()
    {
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kExtensionKey));
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kCompanyKey));
        EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kCompanyKey));
    }
};

TEST_F(Uninstaller, RemovesEveryListedFileAndFolderAndTheRecordsThenItselfUnattended)
{
    MakeInstallation();
    EXPECT_EQ(0u, Run("-USilent"));
    EXPECT_TRUE(InstallFolderGone());
    EXPECT_FALSE(FolderExists(install + "\\SampleFiles"));
    EXPECT_FALSE(FileExists(commonPrograms));
    EXPECT_FALSE(FileExists(desktop));
    EXPECT_TRUE(FolderExists(base));
    ExpectRecordsGone();
}

TEST_F(Uninstaller, OurShortcutGoesFromEveryShortcutFolderButSystemFilesStay)
{
    MakeInstallation();
    std::string systemFile = ShellFolder(CSIDL_SYSTEM) + "\\arbolix-uninstall-test.dll";
    std::string commonDesktop = ShellFolder(CSIDL_COMMON_DESKTOPDIRECTORY) + "\\Arbolix Beta.lnk";
    WriteFileText(systemFile, "dll");
    WriteShortcut(programs);
    WriteShortcut(commonDesktop);
    WriteLog({"d" + install, "f" + uninstaller, "f" + systemFile, "f" + commonPrograms, "f" + programs,
              "f" + commonDesktop, "f" + desktop});
    EXPECT_EQ(0u, Run("-USilent"));
    for (const std::string& path : {commonPrograms, programs, commonDesktop, desktop})
        EXPECT_FALSE(FileExists(path)) << path;
    EXPECT_TRUE(PollFor([&] { return !FileExists(uninstaller); }));
    // The log cannot tell a file setup created there from a shared one it replaced.
    EXPECT_EQ("dll", ReadWholeFile(systemFile));
    // The files the log no longer lists stay, and so their folder does.
    EXPECT_TRUE(FileExists(install + "\\Arbolix.exe"));
    SetFileAttributesA(systemFile.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(systemFile.c_str());
}

TEST_F(Uninstaller, AnotherInstallationsShortcutStaysAndOursGoesLoggedOrNot)
{
    MakeInstallation();
    std::string other = "C:\\Program Files\\Arbolix Beta\\Arbolix.exe";
    WriteShortcut(desktop, other);
    // A reinstallation's log: the earlier shortcut lines were dropped.
    WriteLog({"d" + install, "f" + install + "\\Arbolix.exe", "f" + uninstaller, "f" + desktop});
    EXPECT_EQ(0u, Run("-USilent"));
    EXPECT_TRUE(PollFor([&] { return !FileExists(uninstaller); }));
    EXPECT_FALSE(FileExists(commonPrograms));
    EXPECT_TRUE(FileExists(desktop));
}

TEST_F(Uninstaller, LinksInTheFolderLeadNoDeletionOutside)
{
    MakeInstallation();
    std::string elsewhere = base + "\\Elsewhere";
    ASSERT_TRUE(CreateDirectoryA(elsewhere.c_str(), 0));
    ASSERT_TRUE(CreateDirectoryA((elsewhere + "\\Empty").c_str(), 0));
    WriteFileText(elsewhere + "\\victim.txt", "victim");
    WriteFileText(elsewhere + "\\linked.txt", "linked");
    FileLink folderLink(FileLink::kLinuxSymlink, elsewhere, install + "\\j");
    FileLink fileLink(FileLink::kLinuxSymlink, elsewhere + "\\linked.txt", install + "\\linked.txt");
    ASSERT_TRUE(folderLink.made() && fileLink.made());
    FileLink junction(FileLink::kJunction, elsewhere, install + "\\k");
    if (!junction.made())
        printf("No junction: Wine refuses to make one (error %lu); its lines name nothing.\n", junction.error());
    WriteLog({"d" + install, "f" + uninstaller, "f" + install + "\\Arbolix.exe", "f" + install + "\\j\\victim.txt",
              "f" + install + "\\k\\victim.txt", "f" + install + "\\linked.txt", "d" + install + "\\j\\Empty",
              "d" + install + "\\k\\Empty", "d" + install + "\\j", "d" + install + "\\k"});
    EXPECT_EQ(0u, Run("-USilent"));
    EXPECT_TRUE(PollFor([&] { return !FileExists(uninstaller); }));
    EXPECT_FALSE(FileExists(install + "\\Arbolix.exe"));
    EXPECT_EQ("victim", ReadWholeFile(elsewhere + "\\victim.txt"));
    EXPECT_EQ("linked", ReadWholeFile(elsewhere + "\\linked.txt"));
    EXPECT_TRUE(FolderExists(elsewhere + "\\Empty"));
}

TEST_F(Uninstaller, AFolderThatHoldsMoreThanArbolixLosesNothing)
{
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof windows);
    std::string profile = ShellFolder(CSIDL_PROFILE);
    for (const std::string& folder : {std::string("C:"), std::string(windows), std::string(kProgramFilesFolder), profile,
                                      ShellFolder(CSIDL_DESKTOPDIRECTORY), profile + "\\AppData"}) {
        SCOPED_TRACE(folder);
        std::string victim = folder + "\\arbolix-victim.txt", copy = folder + "\\Uninstall.exe";
        WriteFileText(victim, "victim", false);
        WriteFileText(folder + "\\Uninstall.cfg", "f" + victim + "\r\n", false);
        ASSERT_TRUE(CopyFileA(UNINSTALL_EXE, copy.c_str(), FALSE));
        SetupProcess run = {};
        ASSERT_TRUE(StartProgram(copy, "-U", &run)) << "error " << GetLastError();
        ExpectMessage(run, "Arbolix Beta 2.b20e cannot be removed from " + (folder == "C:" ? "C:\\" : folder) +
                               ": that folder is (or holds) a drive, a Windows, Program Files or user folder, with "
                               "more in it than Arbolix.\nNothing was removed.",
                      {IDOK}, IDOK);
        EXPECT_EQ((DWORD)ERROR_CURRENT_DIRECTORY, WaitForExit(&run));
        EXPECT_EQ("victim", ReadWholeFile(victim));
        for (const std::string& path : {victim, copy, folder + "\\Uninstall.cfg"})
            DeleteFileA(path.c_str());
    }
}

TEST_F(Uninstaller, AFileTheUserAddedSurvivesWithItsFolders)
{
    MakeInstallation();
    WriteFileText(install + "\\SampleFiles\\My Family.abx", "mine", false);
    EXPECT_EQ(0u, Run("/uSILENT"));
    EXPECT_TRUE(PollFor([&] { return !FileExists(uninstaller); }));
    EXPECT_TRUE(FileExists(install + "\\SampleFiles\\My Family.abx"));
    EXPECT_EQ("mine", ReadWholeFile(install + "\\SampleFiles\\My Family.abx"));
    for (const char* name : {"\\Arbolix.exe", "\\Uninstall.cfg", "\\SampleFiles\\Family.abx", "\\SampleFiles\\Photo.jpg"})
        EXPECT_FALSE(FileExists(install + name)) << name;
    // Deeper was created with More in one step and is removed with it.
    EXPECT_FALSE(FolderExists(install + "\\SampleFiles\\Deeper"));
    Sleep(300);
    EXPECT_TRUE(FolderExists(install));
    ExpectRecordsGone();
}

TEST_F(Uninstaller, AnAssociationWithAnotherClassStays)
{
    MakeInstallation("Other.Document");
    EXPECT_EQ(0u, Run("-USilent"));
    EXPECT_TRUE(InstallFolderGone());
    EXPECT_EQ("Other.Document", ReadValue(HKEY_LOCAL_MACHINE, kExtensionKey, 0).text);
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kCompanyKey));
}

TEST_F(Uninstaller, TheAssociationKeyStaysWhenItHoldsMoreThanOurValue)
{
    MakeInstallation("arbolix.document");
    SetText(HKEY_LOCAL_MACHINE, kExtensionKey, "Content Type", "application/x-arbolix");
    EXPECT_EQ(0u, Run("-USilent"));
    EXPECT_TRUE(InstallFolderGone());
    EXPECT_FALSE(ReadValue(HKEY_LOCAL_MACHINE, kExtensionKey, 0).present);
    EXPECT_EQ("application/x-arbolix", ReadValue(HKEY_LOCAL_MACHINE, kExtensionKey, "Content Type").text);
}

TEST_F(Uninstaller, ALaterBetaInstallationElsewhereKeepsItsRecords)
{
    MakeInstallation();
    std::string other = "C:\\Program Files\\Arbolix Beta";
    SetText(HKEY_LOCAL_MACHINE, kProductKey, "InstallPath.Beta", other.c_str());
    SetText(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString", ("\"" + other + "\\Uninstall.exe\"").c_str());
    EXPECT_EQ(0u, Run("-USilent"));
    EXPECT_TRUE(InstallFolderGone());
    EXPECT_EQ(other, ReadValue(HKEY_LOCAL_MACHINE, kProductKey, "InstallPath.Beta").text);
    EXPECT_EQ("8-12-2026", ReadValue(HKEY_LOCAL_MACHINE, kProductKey, "VersionInstalled.2.b20e").text);
    EXPECT_EQ("Y", ReadValue(HKEY_LOCAL_MACHINE, kProductKey, "UserAcceptedAgreement").text);
    EXPECT_EQ("Arbolix Beta 2.b20e", ReadValue(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName").text);
    EXPECT_EQ("Arbolix.Document", ReadValue(HKEY_LOCAL_MACHINE, kExtensionKey, 0).text);
    EXPECT_EQ(3u, ReadValue(HKEY_CURRENT_USER, kSettingsKey, "LicenseAgreement").number);
}

TEST_F(Uninstaller, TheReleaseChannelKeepsTheSharedAgreement)
{
    MakeInstallation();
    SetText(HKEY_LOCAL_MACHINE, kProductKey, "InstallPath", "C:\\Program Files\\Arbolix");
    EXPECT_EQ(0u, Run("-USilent"));
    EXPECT_TRUE(InstallFolderGone());
    EXPECT_FALSE(ReadValue(HKEY_LOCAL_MACHINE, kProductKey, "InstallPath.Beta").present);
    EXPECT_FALSE(ReadValue(HKEY_LOCAL_MACHINE, kProductKey, "VersionInstalled.2.b20e").present);
    EXPECT_EQ("Y", ReadValue(HKEY_LOCAL_MACHINE, kProductKey, "UserAcceptedAgreement").text);
    EXPECT_EQ("C:\\Program Files\\Arbolix", ReadValue(HKEY_LOCAL_MACHINE, kProductKey, "InstallPath").text);
    EXPECT_EQ(3u, ReadValue(HKEY_CURRENT_USER, kSettingsKey, "LicenseAgreement").number);
    EXPECT_EQ("Arbolix.Document", ReadValue(HKEY_LOCAL_MACHINE, kExtensionKey, 0).text);
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
}

TEST_F(Uninstaller, WithoutMachineRecordsTheUsersAcknowledgementStillGoes)
{
    // As a run without the right to write to the machine's keys leaves it.
    MakeInstallation();
    DeleteKeyTree(HKEY_LOCAL_MACHINE, kCompanyKey);
    DeleteKeyTree(HKEY_LOCAL_MACHINE, kUninstallKey);
    DeleteKeyTree(HKEY_LOCAL_MACHINE, kExtensionKey);
    EXPECT_EQ(0u, Run("-USilent"));
    EXPECT_TRUE(InstallFolderGone());
    ExpectRecordsGone();
}

TEST_F(Uninstaller, LinesOutsideTheAllowedFoldersDeleteNothingThere)
{
    MakeInstallation();
    std::string sibling = install + "2";
    std::string elsewhere = base + "\\Elsewhere";
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof windows);
    std::string windowsFile = std::string(windows) + "\\arbolix-uninstall-victim.txt";
    std::string personalDesktop = ShellFolder(CSIDL_DESKTOPDIRECTORY);
    std::string system = ShellFolder(CSIDL_SYSTEM);
    // A shortcut folder may lose only our shortcut, directly inside it.
    std::string thesis = ShellFolder(CSIDL_COMMON_DESKTOPDIRECTORY) + "\\Thesis";
    std::string notes = ShellFolder(CSIDL_COMMON_DESKTOPDIRECTORY) + "\\Notes.lnk";
    ASSERT_TRUE(CreateDirectoryA(sibling.c_str(), 0));
    ASSERT_TRUE(CreateDirectoryA(elsewhere.c_str(), 0));
    ASSERT_TRUE(CreateDirectoryA((elsewhere + "\\Empty").c_str(), 0));
    ASSERT_TRUE(CreateDirectoryA(thesis.c_str(), 0));
    ASSERT_TRUE(CreateDirectoryA((thesis + "\\Empty").c_str(), 0));
    WriteFileText(sibling + "\\victim.txt", "sibling");
    WriteFileText(elsewhere + "\\victim.txt", "elsewhere");
    WriteFileText(windowsFile, "windows");
    WriteFileText(thesis + "\\x.docx", "thesis");
    WriteFileText(notes, "notes");
    WriteLog({"d" + install, "f" + sibling + "\\victim.txt", "f" + install + "\\..\\Elsewhere\\victim.txt",
              "f" + install + "/../Elsewhere/victim.txt", "f" + elsewhere + "\\victim.txt", "f" + windowsFile,
              "d" + install + "\\..\\Elsewhere\\Empty", "d" + elsewhere + "\\Empty", "d" + sibling,
              "d" + personalDesktop, "d" + system, "f" + thesis + "\\x.docx", "f" + notes, "d" + thesis + "\\Empty",
              "f" + install + "\\Arbolix.exe"});
    // The personal desktop is empty in a fresh prefix: only the check keeps it.
    SetFileAttributesA(desktop.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(desktop.c_str());

    EXPECT_EQ(0u, Run("-USilent"));
    EXPECT_TRUE(PollFor([&] { return !FileExists(uninstaller); }));
    EXPECT_FALSE(FileExists(install + "\\Arbolix.exe"));
    EXPECT_EQ("sibling", ReadWholeFile(sibling + "\\victim.txt"));
    EXPECT_EQ("elsewhere", ReadWholeFile(elsewhere + "\\victim.txt"));
    EXPECT_EQ("windows", ReadWholeFile(windowsFile));
    EXPECT_TRUE(FolderExists(elsewhere + "\\Empty"));
    EXPECT_TRUE(FolderExists(personalDesktop));
    EXPECT_TRUE(FolderExists(system));
    EXPECT_EQ("thesis", ReadWholeFile(thesis + "\\x.docx"));
    EXPECT_EQ("notes", ReadWholeFile(notes));
    EXPECT_TRUE(FolderExists(thesis + "\\Empty"));
    RemoveTree(thesis);
    for (const std::string& path : {windowsFile, notes}) {
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
    }
    if (!FolderExists(personalDesktop))
        CreateDirectoryA(personalDesktop.c_str(), 0);
}

TEST_F(Uninstaller, DecliningTheQuestionRemovesNothing)
{
    MakeInstallation();
    Start("");
    ExpectMessage(process, kConfirmation, {IDYES, IDNO}, IDNO);
    EXPECT_EQ((DWORD)ERROR_CANCELLED, WaitForExit(&process));
    ExpectInstallationIntact();
    EXPECT_EQ(copiesBefore, TemporaryCopies());
}

TEST_F(Uninstaller, ConfirmingTheQuestionRemovesAndReportsIt)
{
    MakeInstallation();
    Start("");
    ExpectMessage(process, kConfirmation, {IDYES, IDNO}, IDYES);
    ExpectMessage(process, kCompletion, {IDOK}, IDOK);
    EXPECT_EQ(0u, WaitForExit(&process));
    EXPECT_TRUE(InstallFolderGone());
    ExpectRecordsGone();
}

TEST_F(Uninstaller, UnattendedAsksNothingButReportsTheEnd)
{
    MakeInstallation();
    Start("-U");
    ExpectMessage(process, kCompletion, {IDOK}, IDOK);
    EXPECT_EQ(0u, WaitForExit(&process));
    EXPECT_TRUE(InstallFolderGone());
}

TEST_F(Uninstaller, WithoutItsLogItRemovesNothing)
{
    MakeInstallation();
    SetFileAttributesA(log.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(log.c_str());
    EXPECT_EQ((DWORD)ERROR_FILE_NOT_FOUND, Run("-USilent"));

    Start("");
    ExpectMessage(process, "Unable to find " + log + ".\nArbolix cannot be removed automatically.", {IDOK}, IDOK);
    EXPECT_EQ((DWORD)ERROR_FILE_NOT_FOUND, WaitForExit(&process));
    EXPECT_TRUE(FileExists(install + "\\Arbolix.exe"));
    EXPECT_TRUE(FileExists(uninstaller));
    EXPECT_TRUE(FileExists(commonPrograms));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
}

TEST_F(Uninstaller, AFileInUseKeepsTheLogAndTheRecordsForAnotherRun)
{
    MakeInstallation();
    std::string busy = install + "\\SampleFiles\\Family.abx";
    HANDLE holder = CreateFileA(busy.c_str(), GENERIC_READ, 0, 0, OPEN_EXISTING, 0, 0);
    ASSERT_NE(INVALID_HANDLE_VALUE, holder);
    EXPECT_EQ((DWORD)ERROR_SHARING_VIOLATION, Run("-USilent"));
    EXPECT_FALSE(FileExists(install + "\\Arbolix.exe"));
    EXPECT_FALSE(FileExists(commonPrograms));
    EXPECT_TRUE(FileExists(busy));
    EXPECT_TRUE(GetFileAttributesA(busy.c_str()) & FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(FileExists(uninstaller));
    EXPECT_TRUE(FileExists(log));
    EXPECT_EQ("\"" + uninstaller + "\"", ReadValue(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString").text);
    EXPECT_EQ(install, ReadValue(HKEY_LOCAL_MACHINE, kProductKey, "InstallPath.Beta").text);

    Start("");
    ExpectMessage(process, kConfirmation, {IDYES, IDNO}, IDYES);
    ExpectMessage(process, "Unable to remove " + busy +
                      ".\nClose Arbolix and any program that uses this file, then run the uninstaller again.",
                  {IDOK}, IDOK);
    EXPECT_EQ((DWORD)ERROR_SHARING_VIOLATION, WaitForExit(&process));
    CloseHandle(holder);

    EXPECT_EQ(0u, Run("-USilent"));
    EXPECT_TRUE(InstallFolderGone());
    ExpectRecordsGone();
}

TEST_F(Uninstaller, TheLogOfASecondInstallationIntoTheFolder)
{
    MakeInstallation();
    // The second run deleted the first run's files, kept its folder lines ahead of its
    // own and found every folder there already.
    WriteLog({"d" + install, "d" + install + "\\SampleFiles", "d" + install + "\\SampleFiles\\Deeper\\More",
              "f" + install + "\\Arbolix.exe", "f" + uninstaller, "f" + install + "\\SampleFiles\\Family.abx",
              "f" + install + "\\SampleFiles\\Photo.jpg", "f" + install + "\\SampleFiles\\Deeper\\More\\Deep.abx",
              "f" + commonPrograms, "f" + desktop});
    EXPECT_EQ(0u, Run("-USilent"));
    EXPECT_TRUE(InstallFolderGone());
    EXPECT_FALSE(FileExists(commonPrograms));
    ExpectRecordsGone();
}

TEST_F(Uninstaller, ShortAndLongFormsOfTheFolderAreTheSameFolder)
{
    MakeInstallation();
    char shortForm[MAX_PATH];
    ASSERT_NE(0u, GetShortPathNameA(install.c_str(), shortForm, sizeof shortForm));
    std::string shortInstall = shortForm;
    ASSERT_NE(install, shortInstall) << "no short names here";
    // Installed with -Path in the short form, started through the long one.
    WriteLog({"d" + shortInstall, "f" + shortInstall + "\\Arbolix.exe", "f" + shortInstall + "\\Uninstall.exe",
              "d" + shortInstall + "\\SampleFiles", "f" + shortInstall + "\\SampleFiles\\Family.abx",
              "f" + shortInstall + "\\SampleFiles\\Photo.jpg", "d" + shortInstall + "\\SampleFiles\\Deeper\\More",
              "f" + shortInstall + "\\SampleFiles\\Deeper\\More\\Deep.abx"});
    SetText(HKEY_LOCAL_MACHINE, kProductKey, "InstallPath.Beta", shortInstall.c_str());
    SetText(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString", (shortInstall + "\\Uninstall.exe").c_str());
    EXPECT_EQ(0u, Run("-USilent"));
    EXPECT_TRUE(InstallFolderGone());
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    EXPECT_FALSE(ReadValue(HKEY_LOCAL_MACHINE, kProductKey, "InstallPath.Beta").present);

    // And the other way round: started through the short form.
    ClearSetupTraces({install});
    MakeInstallation();
    ASSERT_NE(0u, GetShortPathNameA(uninstaller.c_str(), shortForm, sizeof shortForm));
    EXPECT_TRUE(StartProgram(shortForm, "-USilent", &process));
    EXPECT_EQ(0u, WaitForExit(&process));
    EXPECT_TRUE(InstallFolderGone());
    ExpectRecordsGone();
}
