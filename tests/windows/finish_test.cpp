#include <gtest/gtest.h>
#include <io.h>

#include "common/deployment_log.h"
#include "platform/win32.h"
#include "records/uninstall_log.h"
#include "redirected_shell_folders.h"
#include "scripted_dialogs.h"
#include "setup/install_sequence.h"
#include "shell/finish.h"
#include "state/setup_state.h"
#include "tests/support/file_facts.h"
#include "tests/support/machine_state.h"
#include "tests/support/registry_values.h"
#include "tests/support/shell_link_reader.h"
#include "tests/support/temp_folder.h"

static const char kComplete[] = "Installation Complete!\n\nA shortcut to the Start menu has been created.";
static const char kCompleteWithDesktop[] =
    "Installation Complete!\n\nA shortcut to the Start menu and to your desktop has been created.";

// What happened to the progress window and its status line, in order.
static std::vector<std::string> g_windowEvents;

static LRESULT CALLBACK RecordingWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SETTEXT)
        g_windowEvents.push_back(std::string("text ") + (const char*)lParam);
    HWND owner = GetWindow(window, GW_OWNER);
    if (message == WM_DESTROY && owner)
        g_windowEvents.push_back("destroyed after " + std::to_string(AskedMessages().size()) + " messages, owner " +
                                 (IsWindowEnabled(owner) ? "enabled" : "disabled"));
    return DefWindowProcA(window, message, wParam, lParam);
}

class FinishTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CoInitialize(0);
        saved = g_setup;
        ResetScriptedDialogs();
        g_windowEvents.clear();
        DeleteKeyTree(HKEY_LOCAL_MACHINE, kUninstallKey);
        DeleteKeyTree(HKEY_LOCAL_MACHINE, kExtensionKey);

        root = MakeTempFolder("finish");
        installFolder = root + "\\Arbolix Beta";
        CreateDirectoryA(installFolder.c_str(), 0);
        ASSERT_TRUE(CopyFileA(PROBE_DIR "\\command_probe.exe", (installFolder + "\\Arbolix.exe").c_str(), FALSE));
        application = installFolder + "\\Arbolix.exe";
        // The probe installed as the application writes its command line there.
        commandLineFile = root + "\\command-line.txt";
        SetEnvironmentVariableA("ARBOLIX_PROBE_RECORD", commandLineFile.c_str());

        const char* places[] = {"common programs", "common desktop", "personal programs", "personal desktop"};
        for (int place = kCommonPrograms; place <= kPersonalDesktop; ++place) {
            shellFolder[place] = root + "\\" + places[place];
            CreateDirectoryA(shellFolder[place].c_str(), 0);
            folders.Redirect((ShellFolderPlace)place, shellFolder[place]);
        }

        g_setup.allUsers = 1;
        g_setup.unattended = 0;
        g_setup.silent = 0;
        g_setup.launchAfterInstall = 1;
        g_setup.runtimeMissing = 0;
        lstrcpyA(g_setup.installFolder, installFolder.c_str());
        g_setup.uninstallLog = 0;
        ASSERT_EQ(1, StartUninstallLog(&failure));
        OpenProgressWindow();
    }
    void TearDown() override
    {
        CloseUninstallLog();
        SetEnvironmentVariableA("ARBOLIX_PROBE_RECORD", 0);
        if (IsWindow(progress))
            DestroyWindow(progress);
        DestroyWindow(dialog);
        // The started application may still be ending.
        for (int i = 0; i < 100 && PathExists(root); ++i) {
            RemoveTree(root);
            if (PathExists(root)) Sleep(50);
        }
        g_setup = saved;
        ResetScriptedDialogs();
    }

    void OpenProgressWindow()
    {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = RecordingWindow;
        windowClass.lpszClassName = "ArbolixRecordingWindow";
        RegisterClassA(&windowClass);
        // The main dialog owns the progress window and is disabled for the run.
        dialog = CreateWindowExA(0, "ArbolixRecordingWindow", "Setup", WS_OVERLAPPED | WS_VISIBLE, 0, 0, 400, 300, 0,
                                 0, 0, 0);
        ASSERT_NE(nullptr, dialog);
        progress = CreateWindowExA(0, "ArbolixRecordingWindow", "Installing", WS_OVERLAPPED | WS_VISIBLE, 0, 0, 300,
                                   80, dialog, 0, 0, 0);
        ASSERT_NE(nullptr, progress);
        EnableWindow(dialog, FALSE);
        g_setup.statusLine = CreateWindowExA(0, "ArbolixRecordingWindow", "", WS_CHILD | WS_VISIBLE, 0, 0, 280, 20,
                                             progress, 0, 0, 0);
        ASSERT_NE(nullptr, g_setup.statusLine);
    }

    // The command line the application was started with, once it has written it.
    std::string StartedCommandLine()
    {
        std::string line;
        for (int i = 0; i < 200; ++i, Sleep(50)) {
            line = ReadBytes(commandLineFile);
            if (!line.empty() && line.back() == '\n') break;
        }
        return line.substr(0, line.size() - 1);
    }

    std::string Link(ShellFolderPlace place) { return shellFolder[place] + "\\Arbolix Beta.lnk"; }

    void Block(ShellFolderPlace place) { CreateDirectoryA(Link(place).c_str(), 0); }

    void ExpectProgressClosedBeforeAnyMessage()
    {
        EXPECT_EQ((std::vector<std::string>{"text Creating shortcut...", "destroyed after 0 messages, owner enabled"}),
                  g_windowEvents);
        EXPECT_FALSE(IsWindow(progress));
        EXPECT_EQ(nullptr, g_setup.statusLine);
        // The activation went back to the dialog, which owns every box that follows.
        EXPECT_EQ(dialog, GetActiveWindow());
        for (const AskedMessage& asked : AskedMessages())
            EXPECT_EQ(dialog, asked.owner);
    }

    void ExpectOneMessage(const std::string& text)
    {
        ASSERT_EQ(1u, AskedMessages().size());
        EXPECT_EQ(text, AskedMessages()[0].text);
        EXPECT_EQ((UINT)MB_ICONINFORMATION, AskedMessages()[0].type);
        EXPECT_EQ(64u, AskedMessages()[0].type);
        EXPECT_EQ("Arbolix\xAE Setup", AskedMessages()[0].caption);
    }

    SetupState saved;
    SavedKey uninstall{HKEY_LOCAL_MACHINE, kUninstallKey};
    SavedKey extension{HKEY_LOCAL_MACHINE, kExtensionKey};
    RedirectedShellFolders folders;
    std::string root, installFolder, application, commandLineFile;
    std::string shellFolder[4];
    HWND dialog = 0, progress = 0;
    DWORD failure = 0;
};

TEST_F(FinishTest, LaunchBoxCheckedStartsTheApplicationAloneWithoutMessage)
{
    EXPECT_EQ(1, FinishInstallation(1, progress, &failure));
    EXPECT_EQ("\"" + application + "\"", StartedCommandLine());
    EXPECT_TRUE(AskedMessages().empty());
    ExpectProgressClosedBeforeAnyMessage();

    EXPECT_EQ(application, ReadShellLink(Link(kCommonPrograms)).target);
    EXPECT_EQ(application, ReadShellLink(Link(kCommonDesktop)).target);
    EXPECT_EQ((std::vector<std::string>{Link(kCommonPrograms), Link(kCommonDesktop)}), LoggedFiles(installFolder));
    EXPECT_EQ(1, g_setup.allUsers);
}

// Setup is elevated: where the desktop's shell answers, the application is started
// through it, as the desktop's user, with the same command line; else setup starts it
// itself. The deployment log says which way was taken.
TEST_F(FinishTest, ApplicationStartsThroughTheDesktopsShellWhereItAnswers)
{
    std::string logPath = root + "\\deployment.log";
    ASSERT_EQ(0u, OpenDeploymentLog(logPath.c_str()));
    // A shell that refuses went away after it was found; a hung one (Explorer not
    // responding) keeps setup waiting a bounded while, then setup starts it itself.
    const struct { DesktopShellAnswer shell; int launch; const char* parameters; const char* line; } cases[] = {
        {kDesktopShellTakesStarts, 1, "", "\" through the desktop's shell\r\n"},
        {kDesktopShellTakesStarts, 0, "/install", "\" /install through the desktop's shell\r\n"},
        {kNoDesktopShell, 0, "", "\" /install: ok\r\n"},
        {kDesktopShellRefusesStarts, 0, "", "\" /install: ok\r\n"},
        {kDesktopShellHangs, 0, "", "\" /install: ok\r\n"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        ResetScriptedDialogs();
        ScriptDesktopShell(c.shell);
        PrepareApplicationStart();  // as the program does, long before
        DeleteFileA(commandLineFile.c_str());
        size_t logged = ReadBytes(logPath).size();
        g_setup.launchAfterInstall = c.launch;
        if (!IsWindow(progress))
            OpenProgressWindow();
        EXPECT_EQ(1, FinishInstallation(0, progress, &failure));
        if (c.shell == kDesktopShellTakesStarts) {
            EXPECT_EQ(std::vector<std::string>{application + " " + c.parameters}, DesktopStarts());
            EXPECT_EQ("<missing>", ReadBytes(commandLineFile));
        } else {
            EXPECT_EQ("\"" + application + "\" /install", StartedCommandLine());
        }
        std::string lines = ReadBytes(logPath).substr(logged);
        EXPECT_NE(std::string::npos, lines.find(" Start \"" + application + c.line)) << lines;
        EXPECT_EQ(c.shell == kDesktopShellHangs, lines.find(" The desktop's shell does not answer\r\n") != std::string::npos);
    }
    ResetScriptedDialogs();
    TraceEnd(0, "done");
}

TEST_F(FinishTest, InstallationIsEnteredIntoWindows)
{
    EXPECT_EQ(1, FinishInstallation(0, progress, &failure));
    EXPECT_EQ("\"" + installFolder + "\\Uninstall.exe\"",
              ReadValue(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString").Text());
    EXPECT_EQ("Arbolix Beta 2.b20e", ReadValue(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName").Text());
    EXPECT_EQ(5u, ValueNames(HKEY_LOCAL_MACHINE, kUninstallKey).size());
    EXPECT_EQ("Arbolix.Document", ReadValue(HKEY_LOCAL_MACHINE, kExtensionKey, 0).Text());
}

// An uninstaller whose log lost a line, or that has none, could not remove what it
// lacks: the registry does not name it, and the run ends with the log's 123.
TEST_F(FinishTest, UninstallerIsEnteredOnlyWithItsWholeLogOnDisk)
{
    for (bool lineLost : {true, false}) {
        SCOPED_TRACE(lineLost ? "a line lost" : "no log");
        DeleteKeyTree(HKEY_LOCAL_MACHINE, kUninstallKey);
        CloseUninstallLog();
        ASSERT_EQ(1, StartUninstallLog(&failure));
        if (lineLost) {
            _close(_fileno(g_setup.uninstallLog));  // the file under the stream is gone
            LogInstalledFile(application.c_str());
        } else {
            CloseUninstallLog();
        }
        if (!IsWindow(progress))
            OpenProgressWindow();
        EXPECT_EQ(1, FinishInstallation(0, progress, &failure));
        EXPECT_EQ((DWORD)ERROR_INVALID_NAME, failure);
        EXPECT_FALSE(ReadValue(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString").present);
        EXPECT_EQ("Arbolix.Document", ReadValue(HKEY_LOCAL_MACHINE, kExtensionKey, 0).Text());
        CloseUninstallLog();
    }
}

TEST_F(FinishTest, LaunchBoxUncheckedStartsWithInstallArgumentAndReportsCompletion)
{
    g_setup.launchAfterInstall = 0;
    EXPECT_EQ(1, FinishInstallation(1, progress, &failure));
    EXPECT_EQ("\"" + application + "\" /install", StartedCommandLine());
    ExpectOneMessage(kCompleteWithDesktop);
    ExpectProgressClosedBeforeAnyMessage();
}

TEST_F(FinishTest, DesktopBoxOffMakesOnlyTheProgramsShortcut)
{
    g_setup.launchAfterInstall = 0;
    EXPECT_EQ(1, FinishInstallation(0, progress, &failure));
    ExpectOneMessage(kComplete);
    EXPECT_TRUE(PathExists(Link(kCommonPrograms)));
    EXPECT_FALSE(PathExists(Link(kCommonDesktop)));
    EXPECT_FALSE(PathExists(Link(kPersonalDesktop)));
    EXPECT_EQ(std::vector<std::string>{Link(kCommonPrograms)}, LoggedFiles(installFolder));
    EXPECT_EQ("\"" + application + "\" /install", StartedCommandLine());
}

TEST_F(FinishTest, UnattendedRunShowsNoCompletionMessage)
{
    g_setup.unattended = 1;
    g_setup.launchAfterInstall = 0;
    EXPECT_EQ(1, FinishInstallation(1, progress, &failure));
    EXPECT_EQ("\"" + application + "\" /install", StartedCommandLine());
    EXPECT_TRUE(AskedMessages().empty());
}

TEST_F(FinishTest, MissingRuntimeKeepsTheApplicationFromStarting)
{
    g_setup.runtimeMissing = 1;
    EXPECT_EQ(1, FinishInstallation(1, progress, &failure));
    EXPECT_TRUE(AskedMessages().empty());
    EXPECT_TRUE(PathExists(Link(kCommonPrograms)));

    g_setup.launchAfterInstall = 0;
    OpenProgressWindow();
    g_windowEvents.clear();
    EXPECT_EQ(1, FinishInstallation(0, progress, &failure));
    ExpectOneMessage(kComplete);

    Sleep(1500);
    EXPECT_FALSE(PathExists(commandLineFile));
}

TEST_F(FinishTest, FailedProgramsShortcutIsReportedAfterTheDesktopAttempt)
{
    Block(kCommonPrograms);
    Block(kPersonalPrograms);
    g_setup.launchAfterInstall = 0;
    EXPECT_EQ(0, FinishInstallation(1, progress, &failure));
    ExpectOneMessage("Unable to create shortcut to " + application);
    EXPECT_EQ((DWORD)ERROR_ACCESS_DENIED, failure);  // the save's own error
    ExpectProgressClosedBeforeAnyMessage();
    // The programs failure left all-users mode off: the desktop shortcut is personal.
    EXPECT_EQ((std::vector<std::string>{Link(kCommonPrograms), Link(kPersonalPrograms), Link(kPersonalDesktop)}),
              LoggedFiles(installFolder));
    EXPECT_EQ(application, ReadShellLink(Link(kPersonalDesktop)).target);
    EXPECT_FALSE(PathExists(Link(kCommonDesktop)));
    EXPECT_EQ("\"" + application + "\" /install", StartedCommandLine());
}

TEST_F(FinishTest, FailedDesktopShortcutIsReportedEvenUnattended)
{
    Block(kCommonDesktop);
    Block(kPersonalDesktop);
    g_setup.unattended = 1;
    g_setup.silent = 1;
    EXPECT_EQ(0, FinishInstallation(1, progress, &failure));
    ExpectOneMessage("Unable to create shortcut to " + application);
    EXPECT_EQ((DWORD)ERROR_ACCESS_DENIED, failure);
    ExpectProgressClosedBeforeAnyMessage();
    EXPECT_EQ(application, ReadShellLink(Link(kCommonPrograms)).target);
    EXPECT_EQ("\"" + application + "\"", StartedCommandLine());
}

TEST_F(FinishTest, TrailingBackslashOnTheFolderGivesTheSamePaths)
{
    lstrcpyA(g_setup.installFolder, (installFolder + "\\").c_str());
    g_setup.launchAfterInstall = 0;
    g_setup.unattended = 1;
    EXPECT_EQ(1, FinishInstallation(1, progress, &failure));
    EXPECT_EQ("\"" + application + "\" /install", StartedCommandLine());
    EXPECT_EQ("\"" + installFolder + "\\Uninstall.exe\"",
              ReadValue(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString").Text());
    ShellLinkContents link = ReadShellLink(Link(kCommonPrograms));
    EXPECT_EQ(application, link.target);
    EXPECT_EQ(installFolder, link.workingDirectory);
}

TEST_F(FinishTest, FolderTooLongForTheApplicationIsReportedWithoutStartingAnything)
{
    std::string longFolder = "C:\\" + std::string(250, 'f');  // 253 characters: Arbolix.exe does not fit
    lstrcpyA(g_setup.installFolder, longFolder.c_str());
    EXPECT_EQ(0, FinishInstallation(1, progress, &failure));
    ExpectOneMessage("Unable to create shortcut to " + longFolder);
    EXPECT_EQ((DWORD)ERROR_WRITE_FAULT, failure);  // nothing saved, no error of a save
    ExpectProgressClosedBeforeAnyMessage();
    EXPECT_TRUE(LoggedFiles(installFolder).empty());
    // No entry rather than one without its uninstaller.
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
}
