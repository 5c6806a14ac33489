// The real setup program under Wine, driven through its dialog and message boxes.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "resources/resource_ids.h"
#include "tests/support/file_facts.h"
#include "tests/support/machine_state.h"
#include "tests/support/registry_values.h"
#include "tests/support/shell_link_reader.h"
#include "tests/support/ui_driver.h"

static const std::string kBase = "C:\\arbolix-e2e";
static const char kCompletionWithDesktop[] =
    "Installation Complete!\n\nA shortcut to the Start menu and to your desktop has been created.";
static const char kCompletionWithoutDesktop[] = "Installation Complete!\n\nA shortcut to the Start menu has been created.";

class SetupProgram : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearSetupTraces({kBase, kDefaultFolder});
        CreateDirectoryA(kBase.c_str(), 0);
    }
    void TearDown() override
    {
        if (setup.info.hProcess)
            WaitForExit(&setup, 0);
        EndStrayApplications();
        ClearSetupTraces({kBase, kDefaultFolder});
    }

    HWND Start(const std::string& arguments = "")
    {
        EXPECT_TRUE(StartProgram(SETUP_EXE, arguments, &setup));
        HWND dialog = WaitForDialogWithControl(setup, IDC_INSTALL_FOLDER);
        EXPECT_NE(nullptr, dialog);
        return dialog;
    }

    // Accepts, leaves the launch box unchecked (so the completion message shows and
    // the application only registers itself) and presses Install.
    void AcceptAndInstall(HWND dialog, bool desktopShortcut = true)
    {
        if (!IsChecked(dialog, IDC_ACCEPT)) Click(dialog, IDC_ACCEPT);
        if (IsChecked(dialog, IDC_LAUNCH_AFTER_INSTALL)) Click(dialog, IDC_LAUNCH_AFTER_INSTALL);
        if (IsChecked(dialog, IDC_DESKTOP_SHORTCUT) != (desktopShortcut ? 1 : 0))
            Click(dialog, IDC_DESKTOP_SHORTCUT);
        Press(dialog, IDOK);
    }

    // The program is still running with its dialog on screen.
    void ExpectDialogStays(HWND dialog)
    {
        EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(setup.info.hProcess, 500));
        EXPECT_TRUE(IsWindowVisible(dialog));
    }

    DWORD Finish() { return WaitForExit(&setup); }

    // Runs a program to its end: its full exit code.
    DWORD Run(const std::string& exe, const std::string& arguments)
    {
        EXPECT_TRUE(StartProgram(exe, arguments, &setup));
        DWORD code = Finish();
        EndStrayApplications();
        return code;
    }

    SetupProcess setup = {};
};

// Every logged file is there and read-only; Wine keeps the attributes of a file that
// existed before (Windows would make it read-only too), so those are named in kept.
static void ExpectInstalledIn(const std::string& folder, const std::vector<std::string>& kept = {})
{
    EXPECT_TRUE(FileExists(folder + "\\Arbolix.exe"));
    EXPECT_TRUE(FileExists(folder + "\\Uninstall.exe"));
    EXPECT_TRUE(FolderExists(folder + "\\SampleFiles"));
    std::vector<std::string> lines = LogLines(folder);
    ASSERT_GE(lines.size(), 12u);
    size_t files = 0;
    for (const std::string& line : lines)
        if (line[0] == 'f' && line.find(".lnk") == std::string::npos) {
            ++files;
            EXPECT_TRUE(FileExists(line.substr(1))) << line;
            if (std::find(kept.begin(), kept.end(), line.substr(1)) == kept.end())
                EXPECT_TRUE(GetFileAttributesA(line.c_str() + 1) & FILE_ATTRIBUTE_READONLY) << line;
        }
    EXPECT_EQ(11u, files);
    EXPECT_EQ("\"" + folder + "\\Uninstall.exe\"",
              ReadValue(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString").text);
    EXPECT_EQ(folder, ReadValue(HKEY_LOCAL_MACHINE, kProductKey, "InstallPath.Beta").text);
}

static std::string Today()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    return std::to_string(now.wDay) + "-" + std::to_string(now.wMonth) + "-" + std::to_string(now.wYear);
}

TEST_F(SetupProgram, InteractiveInstallOfTheDefaultPayload)
{
    HWND dialog = Start();
    EXPECT_EQ(kDefaultFolder, ControlText(dialog, IDC_INSTALL_FOLDER));
    char caption[64];
    GetWindowTextA(dialog, caption, sizeof caption);
    EXPECT_STREQ(kCaption, caption);
    EXPECT_EQ("v 2.b20e", ControlText(dialog, IDC_VERSION_LABEL));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, IDC_SPONSOR_NOTE)));
    EXPECT_EQ(0u, ControlText(dialog, IDC_LICENSE_TEXT).find("ARBOLIX\xAE BETA END-USER LICENSE AGREEMENT\r\n"));
    AcceptAndInstall(dialog);
    // The proposed folder does not exist yet and is created without a question.
    ExpectMessage(setup, kCompletionWithDesktop, {IDOK}, IDOK);
    EXPECT_EQ(0u, Finish());

    ExpectInstalledIn(kDefaultFolder);
    std::vector<std::string> lines = LogLines(kDefaultFolder);
    EXPECT_EQ("d" + kDefaultFolder, lines[0]);
    EXPECT_EQ("f" + kDefaultFolder + "\\Arbolix.exe", lines[1]);
    EXPECT_EQ("f" + kDefaultFolder + "\\Uninstall.exe", lines[2]);
    EXPECT_EQ("d" + kDefaultFolder + "\\SampleFiles", lines[3]);

    RegistryValue accepted = ReadValue(HKEY_LOCAL_MACHINE, kProductKey, "UserAcceptedAgreement");
    EXPECT_EQ("Y", accepted.text);
    EXPECT_EQ(2u, accepted.data.size());
    RegistryValue acknowledged = ReadValue(HKEY_CURRENT_USER, kSettingsKey, "LicenseAgreement");
    EXPECT_EQ((DWORD)REG_DWORD, acknowledged.type);
    EXPECT_EQ(3u, acknowledged.number);
    EXPECT_EQ(Today(), ReadValue(HKEY_LOCAL_MACHINE, kProductKey, "VersionInstalled.2.b20e").text);
    EXPECT_EQ("Arbolix.Document", ReadValue(HKEY_LOCAL_MACHINE, kExtensionKey, "").text);
    EXPECT_TRUE(FileExists(ShellFolder(CSIDL_COMMON_PROGRAMS) + "\\Arbolix Beta.lnk"));
    EXPECT_TRUE(FileExists(ShellFolder(CSIDL_COMMON_DESKTOPDIRECTORY) + "\\Arbolix Beta.lnk"));
}

TEST_F(SetupProgram, CompletionWithoutDesktopShortcut)
{
    HWND dialog = Start();
    AcceptAndInstall(dialog, false);
    ExpectMessage(setup, kCompletionWithoutDesktop, {IDOK}, IDOK);
    EXPECT_EQ(0u, Finish());
    EXPECT_TRUE(FileExists(ShellFolder(CSIDL_COMMON_PROGRAMS) + "\\Arbolix Beta.lnk"));
    EXPECT_FALSE(FileExists(ShellFolder(CSIDL_COMMON_DESKTOPDIRECTORY) + "\\Arbolix Beta.lnk"));
    EXPECT_FALSE(FileExists(ShellFolder(CSIDL_DESKTOPDIRECTORY) + "\\Arbolix Beta.lnk"));
}

TEST_F(SetupProgram, InstallNeedsAcceptanceAndAFolder)
{
    HWND dialog = Start();
    EXPECT_EQ(0, IsChecked(dialog, IDC_ACCEPT));
    EXPECT_EQ(0, IsChecked(dialog, IDC_DECLINE));
    EXPECT_EQ(0, IsEnabled(dialog, IDOK));
    EXPECT_EQ(1, IsChecked(dialog, IDC_DESKTOP_SHORTCUT));
    EXPECT_EQ(1, IsChecked(dialog, IDC_LAUNCH_AFTER_INSTALL));

    Click(dialog, IDC_ACCEPT);
    EXPECT_EQ(1, IsEnabled(dialog, IDOK));
    Click(dialog, IDC_DECLINE);
    EXPECT_EQ(0, IsEnabled(dialog, IDOK));
    Click(dialog, IDC_ACCEPT);
    EXPECT_EQ(1, IsEnabled(dialog, IDOK));
    TypeText(dialog, IDC_INSTALL_FOLDER, "");
    EXPECT_EQ(0, IsEnabled(dialog, IDOK));
    TypeText(dialog, IDC_INSTALL_FOLDER, "D:\\Somewhere");
    EXPECT_EQ(1, IsEnabled(dialog, IDOK));

    Press(dialog, IDCANCEL);
    EXPECT_EQ((DWORD)ERROR_CANCELLED, Finish());
}

TEST_F(SetupProgram, OnlyAStoredCapitalYStartsAccepted)
{
    SetText(HKEY_LOCAL_MACHINE, kProductKey, "UserAcceptedAgreement", "Y");
    HWND dialog = Start();
    EXPECT_EQ(1, IsChecked(dialog, IDC_ACCEPT));
    EXPECT_EQ(1, IsEnabled(dialog, IDOK));
    Press(dialog, IDCANCEL);
    EXPECT_EQ((DWORD)ERROR_CANCELLED, Finish());

    SetText(HKEY_LOCAL_MACHINE, kProductKey, "UserAcceptedAgreement", "y");
    dialog = Start();
    EXPECT_EQ(0, IsChecked(dialog, IDC_ACCEPT));
    EXPECT_EQ(0, IsEnabled(dialog, IDOK));
    Press(dialog, IDCANCEL);
    EXPECT_EQ((DWORD)ERROR_CANCELLED, Finish());
}

TEST_F(SetupProgram, CancelEscapeAndCloseBoxEndWith1223AndInstallNothing)
{
    HWND dialog = Start();
    Press(dialog, IDCANCEL);
    EXPECT_EQ((DWORD)ERROR_CANCELLED, Finish());

    dialog = Start();
    PostMessageA(GetDlgItem(dialog, IDC_LICENSE_TEXT), WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ((DWORD)ERROR_CANCELLED, Finish());

    dialog = Start();
    CloseWithCloseBox(dialog);
    EXPECT_EQ((DWORD)ERROR_CANCELLED, Finish());

    EXPECT_FALSE(FolderExists(kDefaultFolder));
    EXPECT_FALSE(ReadValue(HKEY_LOCAL_MACHINE, kProductKey, "InstallPath.Beta").present);
    EXPECT_FALSE(ReadValue(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString").present);
}

TEST_F(SetupProgram, TypedFolderThatDoesNotExistIsCreatedOnlyWithConsent)
{
    std::string typed = kBase + "\\typed folder";
    std::string question = "Folder " + typed + " does not exist.\n\nWould like to create it?";
    HWND dialog = Start();
    TypeText(dialog, IDC_INSTALL_FOLDER, typed);
    AcceptAndInstall(dialog);
    ExpectMessage(setup, question, {IDYES, IDNO, IDCANCEL}, IDNO);
    ExpectDialogStays(dialog);
    Press(dialog, IDOK);
    ExpectMessage(setup, question, {IDYES, IDNO, IDCANCEL}, IDCANCEL);
    ExpectDialogStays(dialog);
    EXPECT_FALSE(FolderExists(typed));
    EXPECT_FALSE(ReadValue(HKEY_LOCAL_MACHINE, kProductKey, "InstallPath.Beta").present);
    EXPECT_FALSE(ReadValue(HKEY_LOCAL_MACHINE, kProductKey, "VersionInstalled.2.b20e").present);
    // The agreement values are stored as soon as Install is pressed.
    EXPECT_EQ("Y", ReadValue(HKEY_LOCAL_MACHINE, kProductKey, "UserAcceptedAgreement").text);

    Press(dialog, IDOK);
    ExpectMessage(setup, question, {IDYES, IDNO, IDCANCEL}, IDYES);
    ExpectMessage(setup, kCompletionWithDesktop, {IDOK}, IDOK);
    EXPECT_EQ(0u, Finish());
    ExpectInstalledIn(typed);
    EXPECT_EQ("d" + typed, LogLines(typed)[0]);
}

TEST_F(SetupProgram, UnattendedRunsByItselfAndStoresTheUnacceptedChoice)
{
    StartProgram(SETUP_EXE, "-U", &setup);
    EXPECT_EQ(0u, Finish());
    ExpectInstalledIn(kDefaultFolder);
    EXPECT_EQ("N", ReadValue(HKEY_LOCAL_MACHINE, kProductKey, "UserAcceptedAgreement").text);
}

TEST_F(SetupProgram, FailureUnderUReturnsToTheDialog)
{
    // A file where the folder should be: the uninstall log cannot be created.
    std::string blocked = kBase + "\\blocked";
    CloseHandle(CreateFileA(blocked.c_str(), GENERIC_WRITE, 0, 0, CREATE_ALWAYS, 0, 0));
    StartProgram(SETUP_EXE, "-U -Path " + blocked, &setup);
    HWND dialog = WaitForDialogWithControl(setup, IDC_INSTALL_FOLDER);
    ASSERT_NE(nullptr, dialog);
    ExpectMessage(setup, "Unable to create " + blocked + "\\Uninstall.cfg.\nUninstalling Arbolix may no longer be "
                  "done automatically.\n\nDo you still want to install Arbolix?",
                  {IDYES, IDNO, IDCANCEL}, IDNO);
    ExpectDialogStays(dialog);
    EXPECT_EQ(0, IsChecked(dialog, IDC_LAUNCH_AFTER_INSTALL));
    Press(dialog, IDCANCEL);
    EXPECT_EQ((DWORD)ERROR_CANCELLED, Finish());
}

TEST_F(SetupProgram, FailureUnderUSilentEndsWithItsCode)
{
    std::string blocked = kBase + "\\blocked";
    CloseHandle(CreateFileA(blocked.c_str(), GENERIC_WRITE, 0, 0, CREATE_ALWAYS, 0, 0));
    StartProgram(SETUP_EXE, "-USilent -Path " + blocked, &setup);
    EXPECT_EQ((DWORD)ERROR_INVALID_NAME, Finish());

    std::string busy = kBase + "\\busy";
    CreateDirectoryA(busy.c_str(), 0);
    HANDLE held = CreateFileA((busy + "\\Uninstall.exe").c_str(), GENERIC_WRITE, 0, 0, CREATE_ALWAYS, 0, 0);
    StartProgram(SETUP_EXE, "/usilent /path \"" + busy + "\"", &setup);
    EXPECT_EQ((DWORD)ERROR_SHARING_VIOLATION, Finish());
    CloseHandle(held);
    // The file before the busy one was installed and logged.
    EXPECT_EQ(std::vector<std::string>{"f" + busy + "\\Arbolix.exe"}, LogLines(busy));
}

TEST_F(SetupProgram, SecondInstallAfterAFailureStartsFromThePreviousLog)
{
    std::string folder = kBase + "\\retry";
    CreateDirectoryA(folder.c_str(), 0);
    HANDLE held = CreateFileA((folder + "\\Uninstall.exe").c_str(), GENERIC_WRITE, 0, 0, CREATE_ALWAYS, 0, 0);
    HWND dialog = Start("-Path \"" + folder + "\"");
    AcceptAndInstall(dialog);
    ExpectMessage(setup, "Unable to install file " + folder + "\\Uninstall.exe.  Please make sure all running "
                  "applications are closed.\n\nClick on the ignore button if you want to skip this error.",
                  {IDABORT, IDRETRY, IDIGNORE}, IDABORT);
    ExpectDialogStays(dialog);
    EXPECT_EQ(std::vector<std::string>{"f" + folder + "\\Arbolix.exe"}, LogLines(folder));
    // A file the first attempt installed is removed before the second one installs it.
    HANDLE watch = FindFirstChangeNotificationA(folder.c_str(), FALSE, FILE_NOTIFY_CHANGE_FILE_NAME);
    CloseHandle(held);

    Press(dialog, IDOK);
    ExpectMessage(setup, kCompletionWithDesktop, {IDOK}, IDOK);
    EXPECT_EQ(0u, Finish());
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(watch, 0));
    FindCloseChangeNotification(watch);
    ExpectInstalledIn(folder, {folder + "\\Uninstall.exe"});
    std::vector<std::string> lines = LogLines(folder);
    EXPECT_EQ("f" + folder + "\\Arbolix.exe", lines[0]);
    EXPECT_EQ(1, std::count(lines.begin(), lines.end(), "f" + folder + "\\Arbolix.exe"));
}

// Arbolix held as Windows holds a running program's image: a reinstall asks about it
// before it deletes anything of the installation, and Retry once it has ended goes on.
TEST_F(SetupProgram, ReinstallWhileArbolixRunsAsksBeforeDeletingAnything)
{
    std::string folder = kBase + "\\running";
    ASSERT_EQ(0u, Run(SETUP_EXE, "-USilent -Path \"" + folder + "\""));
    HANDLE running =
        CreateFileA((folder + "\\Arbolix.exe").c_str(), GENERIC_READ, FILE_SHARE_READ, 0, OPEN_EXISTING, 0, 0);
    ASSERT_NE(INVALID_HANDLE_VALUE, running);
    AcceptAndInstall(Start("-Path \"" + folder + "\""));
    MessageBoxSeen box;
    ASSERT_NO_FATAL_FAILURE(ExpectMessageBox(
        setup, "Unable to install file " + folder + "\\Arbolix.exe.  Please make sure all running applications "
        "are closed.\n\nClick on the ignore button if you want to skip this error.", {IDABORT, IDRETRY, IDIGNORE}, &box));
    EXPECT_TRUE(FileExists(folder + "\\Uninstall.exe"));
    EXPECT_TRUE(FileExists(folder + "\\SampleFiles\\Oakridge.abx"));
    CloseHandle(running);
    Answer(box, IDRETRY);
    ExpectMessage(setup, kCompletionWithDesktop, {IDOK}, IDOK);
    EXPECT_EQ((DWORD)ERROR_SHARING_VIOLATION, Finish());
    ExpectInstalledIn(folder);
}

TEST_F(SetupProgram, DialogTakesNoInputWhileAnInstallRuns)
{
    // Arbolix.exe held open: the question shows in the middle of the run.
    std::string folder = kBase + "\\first", other = kBase + "\\other";
    CreateDirectoryA(folder.c_str(), 0);
    HANDLE held = CreateFileA((folder + "\\Arbolix.exe").c_str(), GENERIC_WRITE, 0, 0, CREATE_ALWAYS, 0, 0);
    HWND dialog = Start("-Path \"" + folder + "\"");
    AcceptAndInstall(dialog);
    MessageBoxSeen box;
    ASSERT_NO_FATAL_FAILURE(ExpectMessageBox(
        setup, "Unable to install file " + folder + "\\Arbolix.exe.  Please make sure all running applications "
        "are closed.\n\nClick on the ignore button if you want to skip this error.", {IDABORT, IDRETRY, IDIGNORE}, &box));
    EXPECT_EQ(0, IsWindowEnabled(dialog));
    // What another program can still send: a new folder, and Install pressed again.
    TypeText(dialog, IDC_INSTALL_FOLDER, other);
    Press(dialog, IDOK);
    Answer(box, IDIGNORE);
    CloseHandle(held);
    ExpectMessage(setup, kCompletionWithDesktop, {IDOK}, IDOK);
    EXPECT_EQ((DWORD)ERROR_SHARING_VIOLATION, Finish());

    // One run, into the first folder: its files but the held one, then two shortcuts.
    EXPECT_FALSE(FolderExists(other));
    EXPECT_TRUE(FileExists(folder + "\\SampleFiles\\Oakridge.abx"));
    std::vector<std::string> lines = LogLines(folder);
    EXPECT_EQ(13u, lines.size());
    for (size_t i = 0; i + 2 < lines.size(); ++i)
        EXPECT_EQ(1u, lines[i].find(folder + "\\")) << lines[i];
    EXPECT_EQ(folder, ReadValue(HKEY_LOCAL_MACHINE, kProductKey, "InstallPath.Beta").text);
    EXPECT_EQ("\"" + folder + "\\Uninstall.exe\"", ReadValue(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString").text);
}

TEST_F(SetupProgram, FolderOptions)
{
    // A relative folder is proposed as Windows reads it, from the current folder.
    char current[MAX_PATH];
    GetCurrentDirectoryA(sizeof current, current);
    HWND dialog = Start("/PATH relative\\folder");
    EXPECT_EQ(std::string(current) + "\\relative\\folder", ControlText(dialog, IDC_INSTALL_FOLDER));
    Press(dialog, IDCANCEL);
    Finish();

    dialog = Start("-pathdefault " + kBase + "\\proposed");
    EXPECT_EQ(kBase + "\\proposed", ControlText(dialog, IDC_INSTALL_FOLDER));
    Press(dialog, IDCANCEL);
    Finish();

    SetText(HKEY_LOCAL_MACHINE, kProductKey, "InstallPath.Beta", "D:\\Stored Beta");
    dialog = Start("-PathDefault " + kBase + "\\proposed");
    EXPECT_EQ("D:\\Stored Beta", ControlText(dialog, IDC_INSTALL_FOLDER));
    Press(dialog, IDCANCEL);
    Finish();
}

TEST_F(SetupProgram, CurrentUserOptionPutsShortcutsInThePersonalFolders)
{
    std::string folder = kBase + "\\personal";
    StartProgram(SETUP_EXE, "-USILENT -cu -Path " + folder, &setup);
    EXPECT_EQ(0u, Finish());
    ExpectInstalledIn(folder);
    EXPECT_TRUE(FileExists(ShellFolder(CSIDL_PROGRAMS) + "\\Arbolix Beta.lnk"));
    EXPECT_TRUE(FileExists(ShellFolder(CSIDL_DESKTOPDIRECTORY) + "\\Arbolix Beta.lnk"));
    EXPECT_FALSE(FileExists(ShellFolder(CSIDL_COMMON_PROGRAMS) + "\\Arbolix Beta.lnk"));
}

TEST_F(SetupProgram, UninstallAfterReinstallingWithoutTheDesktopShortcutLeavesNoShortcut)
{
    ASSERT_EQ(0u, Run(SETUP_EXE, "-USilent"));
    ASSERT_TRUE(FileExists(ShellFolder(CSIDL_COMMON_DESKTOPDIRECTORY) + "\\Arbolix Beta.lnk"));
    AcceptAndInstall(Start(), false);
    ExpectMessage(setup, kCompletionWithoutDesktop, {IDOK}, IDOK);
    EXPECT_EQ(0u, Finish());
    EXPECT_EQ(0u, Run(kDefaultFolder + "\\Uninstall.exe", "-USilent"));
    for (int csidl : {CSIDL_COMMON_PROGRAMS, CSIDL_PROGRAMS, CSIDL_COMMON_DESKTOPDIRECTORY, CSIDL_DESKTOPDIRECTORY})
        EXPECT_FALSE(FileExists(ShellFolder(csidl) + "\\Arbolix Beta.lnk")) << csidl;
}

TEST_F(SetupProgram, InstallingAgainAtOnceAfterUninstallingKeepsTheNewUninstaller)
{
    std::set<std::string> copiesBefore = TemporaryCopies();
    std::string uninstaller = kDefaultFolder + "\\Uninstall.exe";
    ASSERT_EQ(0u, Run(SETUP_EXE, "-USilent"));
    // Under Wine a handle that reads only attributes puts off a file's deletion until it
    // is closed, but lets the file be written: so the old uninstaller stays until the
    // installation that follows has written its own "Uninstall.exe", as while Windows
    // still holds an ended program's image.
    HANDLE holder = CreateFileA(uninstaller.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, 0,
                                OPEN_EXISTING, 0, 0);
    ASSERT_NE(INVALID_HANDLE_VALUE, holder);
    EXPECT_EQ(0u, Run(uninstaller, "-USilent"));
    EXPECT_EQ(0u, Run(SETUP_EXE, "-USilent"));
    CloseHandle(holder);
    // The first uninstaller's temporary copy, which deletes its original, has ended.
    EXPECT_TRUE(PollFor([&] { return TemporaryCopies() == copiesBefore; }));
    ExpectInstalledIn(kDefaultFolder);
}

// The lines of a deployment log, each checked to begin with its time to the
// millisecond ("2026-12-09 10:15:42.123 ") and given without it.
static std::vector<std::string> DeploymentLog(const std::string& path)
{
    std::vector<std::string> lines;
    std::string text = ReadWholeFile(path);
    for (size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
        std::string line = text.substr(start, end - start);
        bool timed = line.size() > 24 && line[4] == '-' && line[7] == '-' && line[10] == ' ' && line[13] == ':' &&
                     line[16] == ':' && line[19] == '.' && line[23] == ' ' &&
                     std::all_of(line.begin(), line.begin() + 23, [](char c) { return strchr("0123456789-:. ", c); });
        EXPECT_TRUE(timed) << line;
        lines.push_back(timed ? line.substr(24) : line);
    }
    EXPECT_EQ(text.size(), text.empty() ? 0 : text.rfind("\r\n") + 2) << "a line without its CR LF";
    return lines;
}

static size_t CountStartingWith(const std::vector<std::string>& lines, const std::string& start)
{
    return std::count_if(lines.begin(), lines.end(), [&](const std::string& l) { return l.rfind(start, 0) == 0; });
}

// -Log FILE: what a silent deployment did, appended run after run, by both programs.
TEST_F(SetupProgram, DeploymentLogOfAnInstallAndItsRemoval)
{
    std::string folder = kBase + "\\deployed", log = kBase + "\\deploy.log";
    ASSERT_EQ(0u, Run(SETUP_EXE, "-USilent -Path \"" + folder + "\" /log \"" + log + "\""));
    std::vector<std::string> lines = DeploymentLog(log);
    ASSERT_GT(lines.size(), 10u);
    EXPECT_EQ(0u, lines[0].find("Arbolix 2.b20e setup started: ")) << lines[0];
    EXPECT_NE(std::string::npos, lines[0].find("-USilent -Path \"" + folder + "\" /log")) << lines[0];
    EXPECT_EQ(1u, CountStartingWith(lines, "Folder " + folder + ": -Path"));
    // Made outside Program Files, where every user may change what is made under C:\.
    EXPECT_EQ(1u, CountStartingWith(lines, "Folder " + folder + ": for administrators to change"));
    // Every installed file, with its size, and nothing failed.
    std::vector<std::string> installed;
    for (const std::string& line : LogLines(folder))
        if (line[0] == 'f' && line.find(".lnk") == std::string::npos)
            installed.push_back(line.substr(1));
    ASSERT_EQ(11u, installed.size());
    for (const std::string& file : installed)
        EXPECT_EQ(1u, CountStartingWith(lines, "File " + file + ", ")) << file;
    EXPECT_EQ(11u, CountStartingWith(lines, "File " + folder));
    for (const std::string& line : lines)
        if (line.rfind("File ", 0) == 0 || line.rfind("Registry ", 0) == 0)
            EXPECT_EQ(": ok", line.substr(line.size() - 4)) << line;
    EXPECT_EQ(1u, CountStartingWith(lines, "Registry HKLM\\" + std::string(kUninstallKey) + ", UninstallString = \"\"" +
                                               folder + "\\Uninstall.exe\"\": ok"));
    EXPECT_EQ(1u, CountStartingWith(lines, "Shortcut " + ShellFolder(CSIDL_COMMON_PROGRAMS) +
                                               "\\Arbolix Beta.lnk: HRESULT 0x00000000"));
    // Started once, as the desktop's user where its shell answers (Wine 8's does), else by setup.
    std::string start = "Start \"" + folder + "\\Arbolix.exe\" /install";
    EXPECT_EQ(1u, CountStartingWith(lines, start + " through the desktop's shell") + CountStartingWith(lines, start + ": ok"));
    EXPECT_EQ(0u, lines.back().find("Exit code 0 (installed), after ")) << lines.back();

    // The uninstaller appends its own run to the same file.
    ASSERT_EQ(0u, Run(folder + "\\Uninstall.exe", "-USilent -Log \"" + log + "\""));
    EXPECT_TRUE(PollFor([&] { return !FolderExists(folder); }));
    std::vector<std::string> both = DeploymentLog(log);
    EXPECT_EQ(1u, CountStartingWith(both, "Arbolix 2.b20e setup started: "));
    EXPECT_EQ(1u, CountStartingWith(both, "Arbolix 2.b20e uninstaller started: "));
    EXPECT_EQ(1u, CountStartingWith(both, "Remove " + folder + "\\Arbolix.exe: ok"));
    EXPECT_EQ(1u, CountStartingWith(both, "Remove registry key HKLM\\" + std::string(kUninstallKey) + ": ok"));
    EXPECT_EQ(1u, CountStartingWith(both, "Exit code 0 (removed), after "));
}

// Scripts pass folders Windows reads its own way; each installs exactly as the folder
// Windows reads (C:\arbolix-e2e\X), and the uninstaller removes it.
TEST_F(SetupProgram, FolderIsInstalledAsWindowsReadsIt)
{
    struct Case {
        std::string given, currentFolder;
    };
    const Case cases[] = {{kBase + "\\X", ""},         {"C:/arbolix-e2e/X", ""},
                          {kBase + "\\X. ", ""},       {"X", kBase},
                          {kBase + "\\sub\\..\\.\\X", ""}};
    std::string folder = kBase + "\\X", log = kBase + "\\paths.log";
    char testFolder[MAX_PATH];
    GetCurrentDirectoryA(sizeof testFolder, testFolder);
    std::vector<std::string> expected;
    CoInitialize(0);  // the shortcuts are read through the shell's link object
    for (const Case& c : cases) {
        SetCurrentDirectoryA(c.currentFolder.empty() ? testFolder : c.currentFolder.c_str());
        DeleteFileA(log.c_str());
        EXPECT_EQ(0u, Run(SETUP_EXE, "-USilent -Path \"" + c.given + "\" -Log " + log)) << c.given;
        SetCurrentDirectoryA(testFolder);
        ExpectInstalledIn(folder);
        // What it logged and wrote (but the command line and the time it took), in both
        // logs, and the shortcuts' targets.
        std::vector<std::string> made = DeploymentLog(log);
        if (made.size() > 2)
            made = std::vector<std::string>(made.begin() + 1, made.end() - 1);
        std::sort(made.begin(), made.end());
        for (const std::string& line : LogLines(folder))
            made.push_back(line);
        for (int csidl : {CSIDL_COMMON_PROGRAMS, CSIDL_COMMON_DESKTOPDIRECTORY}) {
            ShellLinkContents link = ReadShellLink(ShellFolder(csidl) + "\\Arbolix Beta.lnk");
            EXPECT_TRUE(link.loaded) << c.given;
            made.push_back(link.target + " in " + link.workingDirectory);
        }
        if (expected.empty())
            expected = made;
        EXPECT_EQ(expected, made) << c.given;
        EXPECT_EQ(0u, Run(folder + "\\Uninstall.exe", "-USilent")) << c.given;
        EXPECT_TRUE(PollFor([&] { return !FolderExists(folder); })) << c.given;
    }
    CoUninitialize();
}

// A drive letter the process does not see (under Windows, a drive the user mapped
// without elevation) has no folder to create: the run says so and ends as a folder
// that cannot be held does.
TEST_F(SetupProgram, FolderOnADriveThatIsNotThereEndsWith123)
{
    std::string drive = "Z:";
    while (drive[0] > 'D' && GetDriveTypeA((drive + "\\").c_str()) != DRIVE_NO_ROOT_DIR)
        --drive[0];
    ASSERT_EQ((UINT)DRIVE_NO_ROOT_DIR, GetDriveTypeA((drive + "\\").c_str())) << drive;
    std::string folder = drive + "\\Arbolix Beta", log = kBase + "\\drive.log";
    EXPECT_EQ((DWORD)ERROR_INVALID_NAME, Run(SETUP_EXE, "-USilent -Path \"" + folder + "\" -Log " + log));
    std::vector<std::string> lines = DeploymentLog(log);
    EXPECT_EQ(1u, CountStartingWith(lines, "Folder " + folder + ": error 15: "));
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(0u, lines.back().find("Exit code 123 (install folder not held), after ")) << lines.back();
    EXPECT_FALSE(ReadValue(HKEY_LOCAL_MACHINE, kProductKey, "InstallPath.Beta").present);

    // A typed one is told instead of the question whether to create it.
    HWND dialog = Start();
    TypeText(dialog, IDC_INSTALL_FOLDER, folder);
    AcceptAndInstall(dialog);
    ExpectMessage(setup, "Folder " + folder + " is on a drive that is not there.\n\nPlease choose another folder.",
                  {IDOK}, IDOK);
    ExpectDialogStays(dialog);
    Press(dialog, IDCANCEL);
    EXPECT_EQ((DWORD)ERROR_CANCELLED, Finish());
}

TEST_F(SetupProgram, DeploymentLogTellsAFailureWithItsCodeAndText)
{
    std::string busy = kBase + "\\busy", log = kBase + "\\busy.log";
    CreateDirectoryA(busy.c_str(), 0);
    HANDLE held = CreateFileA((busy + "\\Uninstall.exe").c_str(), GENERIC_WRITE, 0, 0, CREATE_ALWAYS, 0, 0);
    EXPECT_EQ((DWORD)ERROR_SHARING_VIOLATION, Run(SETUP_EXE, "-USilent -Path \"" + busy + "\" -Log " + log));
    CloseHandle(held);
    std::vector<std::string> lines = DeploymentLog(log);
    std::string failed = "File " + busy + "\\Uninstall.exe, ";
    ASSERT_EQ(1u, CountStartingWith(lines, failed));
    std::string line = *std::find_if(lines.begin(), lines.end(), [&](const std::string& l) { return !l.find(failed); });
    std::string text = ReadWholeFile(log);
    printf("%s", text.substr(text.rfind("\r\n", text.find(failed)) + 2).c_str());
    // The size, the code and Windows' text for it.
    EXPECT_NE(std::string::npos, line.find(" bytes: error 32: ")) << line;
    EXPECT_GT(line.size(), line.find(" bytes: error 32: ") + 20) << line;
    EXPECT_EQ(0u, lines.back().find("Exit code 32 (error 32: ")) << lines.back();
}

TEST_F(SetupProgram, LogThatCannotBeOpenedEndsWith1622BeforeAnythingIsMade)
{
    std::string folder = kBase + "\\unlogged", log = kBase + "\\no such folder\\setup.log";
    EXPECT_EQ(1622u, Run(SETUP_EXE, "-USilent -Path \"" + folder + "\" -Log \"" + log + "\""));
    EXPECT_FALSE(FolderExists(folder));
    EXPECT_FALSE(ReadValue(HKEY_LOCAL_MACHINE, kProductKey, "InstallPath.Beta").present);
    // Not silent, it says so first.
    ASSERT_TRUE(StartProgram(SETUP_EXE, "-U -Path \"" + folder + "\" -Log \"" + log + "\"", &setup));
    MessageBoxSeen box = WaitForMessageBox(setup, 60000);
    ASSERT_NE(nullptr, box.window);
    EXPECT_EQ(0u, box.text.find("Unable to open the log file " + log + " (error 3")) << box.text;
    EXPECT_EQ("Arbolix was not installed.", box.text.substr(box.text.size() - 26)) << box.text;
    Answer(box, IDOK);
    EXPECT_EQ(1622u, Finish());
    EXPECT_FALSE(FolderExists(folder));

    // The uninstaller alike: nothing is removed.
    ASSERT_EQ(0u, Run(SETUP_EXE, "-USilent -Path \"" + folder + "\""));
    EXPECT_EQ(1622u, Run(folder + "\\Uninstall.exe", "-USilent -Log \"" + log + "\""));
    ExpectInstalledIn(folder);
    // -Log as the last token has no value and is ignored, like -Path.
    EXPECT_EQ(0u, Run(folder + "\\Uninstall.exe", "-USilent -Log"));
    EXPECT_TRUE(PollFor([&] { return !FolderExists(folder); }));
    EXPECT_EQ(0u, Run(SETUP_EXE, "-USilent -Path \"" + folder + "\" -Log"));
    ExpectInstalledIn(folder);
}
