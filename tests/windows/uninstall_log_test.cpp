#include <gtest/gtest.h>
#include <io.h>

#include <string>
#include <vector>

#include "platform/win32.h"
#include "records/install_folder_hold.h"
#include "records/uninstall_log.h"
#include "scripted_dialogs.h"
#include "setup/install_sequence.h"
#include "state/setup_state.h"
#include "tests/support/file_facts.h"
#include "tests/support/file_links.h"
#include "tests/support/temp_folder.h"

class UninstallLogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved = g_setup;
        ResetScriptedDialogs();
        root = MakeTempFolder("log");
        folder = root + "\\Arbolix Beta";
        logPath = folder + "\\Uninstall.cfg";
        lstrcpyA(g_setup.installFolder, folder.c_str());
        g_setup.silent = 0;
        g_setup.uninstallLog = 0;
    }
    void TearDown() override
    {
        CloseUninstallLog();
        RemoveTree(root);
        g_setup = saved;
    }
    SetupState saved;
    std::string root, folder, logPath;
    DWORD failure = 0;
};

TEST_F(UninstallLogTest, NewFolderComesFirstAndOnlyNewFoldersAreLogged)
{
    ASSERT_EQ(1, StartUninstallLog(&failure));
    EXPECT_TRUE(PathExists(folder));
    LogInstalledFile((folder + "\\Arbolix.exe").c_str());
    CreateFolderAndLogIt((folder + "\\Sub\\Deeper").c_str(), InstallFolderBounds());  // two levels made in one step
    CreateFolderAndLogIt((folder + "\\Sub\\Deeper").c_str(), InstallFolderBounds());
    CreateFolderAndLogIt(folder.c_str(), InstallFolderBounds());
    EXPECT_EQ(0u, CloseUninstallLog());
    EXPECT_EQ("d" + folder + "\r\nf" + folder + "\\Arbolix.exe\r\nd" + folder + "\\Sub\\Deeper\r\n",
              ReadBytes(logPath));
    EXPECT_TRUE(AskedMessages().empty());
    EXPECT_EQ(0u, failure);
}

TEST_F(UninstallLogTest, ExistingFolderWithoutLogGetsNoFolderLine)
{
    CreateDirectoryA(folder.c_str(), 0);
    ASSERT_EQ(1, StartUninstallLog(&failure));
    LogInstalledFile((folder + "\\a.txt").c_str());
    CloseUninstallLog();
    EXPECT_EQ("f" + folder + "\\a.txt\r\n", ReadBytes(logPath));
}

TEST_F(UninstallLogTest, EachLineIsOnDiskBeforeTheLogIsClosed)
{
    ASSERT_EQ(1, StartUninstallLog(&failure));
    LogInstalledFile((folder + "\\a.txt").c_str());
    EXPECT_EQ("d" + folder + "\r\nf" + folder + "\\a.txt\r\n", ReadBytes(logPath));
    LogCreatedFolder((folder + "\\Sub").c_str());
    EXPECT_EQ("d" + folder + "\r\nf" + folder + "\\a.txt\r\nd" + folder + "\\Sub\r\n", ReadBytes(logPath));
}

TEST_F(UninstallLogTest, LineOrCloseTheDiskRefusesEndsWith123)
{
    ASSERT_EQ(1, StartUninstallLog(&failure));
    _close(_fileno(g_setup.uninstallLog));  // the file under the stream is gone
    EXPECT_EQ((DWORD)ERROR_INVALID_NAME, LogInstalledFile((folder + "\\a.txt").c_str()));
    EXPECT_EQ((DWORD)ERROR_INVALID_NAME, CloseUninstallLog());
    EXPECT_EQ(nullptr, g_setup.uninstallLog);
}

TEST_F(UninstallLogTest, WithoutALogTheWritersDoNothing)
{
    LogInstalledFile((folder + "\\a.txt").c_str());
    LogCreatedFolder(folder.c_str());
    CloseUninstallLog();
    EXPECT_FALSE(PathExists(logPath));
}

TEST_F(UninstallLogTest, ReinstallDeletesListedFilesButShortcutsAndKeepsFolderLinesAtTheHead)
{
    CreateDirectoryA(folder.c_str(), 0);
    CreateDirectoryA((folder + "\\Sub").c_str(), 0);
    WriteReadOnly(folder + "\\a.txt", "a");
    WriteReadOnly(folder + "\\Sub\\b.txt", "b");
    WriteBytes(folder + "\\Start.lnk", "link");
    WriteBytes(folder + "\\Desk.LNK", "link");
    WriteBytes(folder + "\\Tool.Lnk", "link");
    WriteBytes(folder + "\\mine.txt", "the user's own file");
    WriteReadOnly(logPath,
                  "d" + folder + "\r\n"
                  "f" + folder + "\\a.txt\r\n"
                  "d" + folder + "\\Sub\r\n"
                  "f" + folder + "\\Sub\\b.txt\r\n"
                  "f" + folder + "\\Start.lnk\r\n"
                  "f" + folder + "\\Desk.LNK\r\n"
                  "f" + folder + "\\Tool.Lnk\r\n"
                  "f" + folder + "\\gone.txt\r\n"
                  "x junk\r\n"
                  "f\r\n"
                  "\r\n");

    ASSERT_EQ(1, StartUninstallLog(&failure));
    EXPECT_FALSE(PathExists(folder + "\\a.txt"));
    EXPECT_FALSE(PathExists(folder + "\\Sub\\b.txt"));
    EXPECT_TRUE(PathExists(folder + "\\Start.lnk"));
    EXPECT_TRUE(PathExists(folder + "\\Desk.LNK"));
    EXPECT_TRUE(PathExists(folder + "\\Tool.Lnk"));
    EXPECT_TRUE(PathExists(folder + "\\mine.txt"));
    LogInstalledFile((folder + "\\a.txt").c_str());
    CloseUninstallLog();
    EXPECT_EQ("d" + folder + "\r\nd" + folder + "\\Sub\r\nf" + folder + "\\a.txt\r\n", ReadBytes(logPath));
    EXPECT_EQ(0u, Attributes(logPath) & FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(AskedMessages().empty());
}

TEST_F(UninstallLogTest, PreviousLogOfFileLinesOnlyLeavesNoKeptLines)
{
    CreateDirectoryA(folder.c_str(), 0);
    WriteBytes(logPath, "f" + folder + "\\a.txt\r\n");
    ASSERT_EQ(1, StartUninstallLog(&failure));
    CloseUninstallLog();
    EXPECT_EQ("", ReadBytes(logPath));
}

TEST_F(UninstallLogTest, CleanupDeletesNothingOutsideTheInstallFolder)
{
    std::string elsewhere = root + "\\Elsewhere";
    CreateDirectoryA(elsewhere.c_str(), 0);
    CreateDirectoryA(folder.c_str(), 0);
    WriteBytes(elsewhere + "\\precious.txt", "keep me");
    WriteBytes(folder + "\\keep.txt", "keep me too");
    // A link in the folder whose text passes for a path inside it.
    FileLink link(FileLink::kLinuxSymlink, elsewhere, folder + "\\j");
    ASSERT_TRUE(link.made());
    char system[MAX_PATH];
    GetSystemDirectoryA(system, sizeof system);
    std::string systemFile = std::string(system) + "\\arbolix-cleanup-" + std::to_string(GetCurrentProcessId()) + ".tmp";
    WriteReadOnly(systemFile, "listed by an earlier installation");
    std::string upperSystemFile = systemFile;
    CharUpperA(&upperSystemFile[0]);
    // Cut by a 323-character reader, this line's tail would read as a file line.
    std::string overlong = "x" + std::string(322, 'a') + "f" + folder + "\\keep.txt";
    WriteBytes(logPath,
               "f" + elsewhere + "\\precious.txt\r\n"
               "f" + folder + "\\..\\Elsewhere\\precious.txt\r\n"
               "f" + folder + "\\sub/../../Elsewhere/precious.txt\r\n"
               "f" + folder + "\\j\\precious.txt\r\n"
               "f" + upperSystemFile + "\r\n" +
               overlong + "\r\n");

    ASSERT_EQ(1, StartUninstallLog(&failure));
    EXPECT_EQ("keep me", ReadBytes(elsewhere + "\\precious.txt"));
    EXPECT_EQ("keep me too", ReadBytes(folder + "\\keep.txt"));
    EXPECT_TRUE(PathExists(systemFile));
    SetFileAttributesA(systemFile.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(systemFile.c_str());
}

// A log that a link at "Uninstall.cfg" leads to is not this folder's: its lines are
// not used, and it is not written through. Windows removes the link itself and makes
// the log anew; Wine follows the link, so the log cannot be made (123).
TEST_F(UninstallLogTest, LogThatALinkLeadsToIsNeitherReadNorWrittenThrough)
{
    CreateDirectoryA(folder.c_str(), 0);
    WriteBytes(folder + "\\keep.txt", "keep me");
    std::string elsewhere = root + "\\elsewhere.cfg";
    std::string plantedLog = "f" + folder + "\\keep.txt\r\n";
    WriteBytes(elsewhere, plantedLog);
    FileLink link(FileLink::kLinuxSymlink, elsewhere, logPath);
    ASSERT_TRUE(link.made());
    g_setup.silent = 1;
    EXPECT_EQ(failure == 0, StartUninstallLog(&failure) == 1);
    if (failure == 0)
        EXPECT_EQ("", ReadBytes(logPath));
    else
        EXPECT_EQ(123u, failure);
    EXPECT_EQ("keep me", ReadBytes(folder + "\\keep.txt"));
    EXPECT_EQ(plantedLog, ReadBytes(elsewhere));
}

// With the install folder the Windows folder, or a drive's root, the system directory
// lies inside it: its files are still never cleaned, by the log's text or by where
// this program really reaches them (a 32-bit program's system32 is syswow64).
TEST_F(UninstallLogTest, CleanupNeverDeletesInTheSystemDirectoryEvenInsideTheInstallFolder)
{
    char windows[MAX_PATH], system[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof windows);
    GetSystemDirectoryA(system, sizeof system);
    folder = windows;
    logPath = folder + "\\Uninstall.cfg";
    lstrcpyA(g_setup.installFolder, folder.c_str());
    std::string name = "arbolix-cleanup-" + std::to_string(GetCurrentProcessId()) + ".tmp";
    std::vector<std::string> listed = {std::string(system) + "\\" + name,
                                       folder + (sizeof(void*) == 4 ? "\\SysWOW64\\" : "\\System32\\") + name};
    for (const std::string& file : listed)
        WriteBytes(file, "another program's");
    WriteBytes(logPath, "f" + listed[0] + "\r\nf" + listed[1] + "\r\n");
    ASSERT_EQ(1, StartUninstallLog(&failure));
    CloseUninstallLog();
    for (const std::string& file : listed)
        EXPECT_EQ("another program's", ReadBytes(file)) << file;
    for (const std::string& file : listed)
        DeleteFileA(file.c_str());
    DeleteFileA(logPath.c_str());
}

TEST_F(UninstallLogTest, SecondAttemptRemovesWhatTheFirstInstalled)
{
    ASSERT_EQ(1, StartUninstallLog(&failure));
    CreateFolderAndLogIt((folder + "\\Sub").c_str(), InstallFolderBounds());
    WriteReadOnly(folder + "\\Sub\\a.txt", "a");
    LogInstalledFile((folder + "\\Sub\\a.txt").c_str());
    CloseUninstallLog();

    ASSERT_EQ(1, StartUninstallLog(&failure));
    EXPECT_FALSE(PathExists(folder + "\\Sub\\a.txt"));
    CloseUninstallLog();
    EXPECT_EQ("d" + folder + "\r\nd" + folder + "\\Sub\r\n", ReadBytes(logPath));
}

TEST_F(UninstallLogTest, LogPathTooLongIsNotCreatableAndNamedInFull)
{
    folder = root + "\\" + std::string(250 - root.size(), 'L');
    lstrcpyA(g_setup.installFolder, folder.c_str());
    ScriptMessageAnswers({IDYES});
    EXPECT_EQ(1, StartUninstallLog(&failure));
    EXPECT_EQ(123u, failure);
    ASSERT_EQ(1u, AskedMessages().size());
    EXPECT_EQ(0u, AskedMessages()[0].text.find("Unable to create " + folder + "\\Uninstall.cfg.\n"));
}

class LogNotCreatableTest : public UninstallLogTest {
protected:
    void SetUp() override
    {
        UninstallLogTest::SetUp();
        WriteBytes(folder, "a file where the install folder should be");
    }
    const std::string question()
    {
        return "Unable to create " + logPath +
               ".\nUninstalling Arbolix may no longer be done automatically.\n\n"
               "Do you still want to install Arbolix?";
    }
};

TEST_F(LogNotCreatableTest, YesGoesOnWithoutALog)
{
    ScriptMessageAnswers({IDYES});
    EXPECT_EQ(1, StartUninstallLog(&failure));
    EXPECT_EQ(123u, failure);
    ASSERT_EQ(1u, AskedMessages().size());
    EXPECT_EQ(question(), AskedMessages()[0].text);
    EXPECT_EQ("Arbolix\xAE Setup", AskedMessages()[0].caption);
    EXPECT_EQ((UINT)(MB_YESNOCANCEL | MB_ICONQUESTION), AskedMessages()[0].type);
    EXPECT_EQ(nullptr, g_setup.uninstallLog);
    LogInstalledFile((folder + "\\a.txt").c_str());
    CloseUninstallLog();
}

TEST_F(LogNotCreatableTest, NoAndCancelStop)
{
    for (int answer : {IDNO, IDCANCEL}) {
        ResetScriptedDialogs();
        ScriptMessageAnswers({answer});
        failure = 0;
        EXPECT_EQ(0, StartUninstallLog(&failure)) << answer;
        EXPECT_EQ(123u, failure);
        ASSERT_EQ(1u, AskedMessages().size());
        EXPECT_EQ(question(), AskedMessages()[0].text);
    }
}

TEST_F(LogNotCreatableTest, SilentModeStopsWithoutAsking)
{
    g_setup.silent = 1;
    EXPECT_EQ(0, StartUninstallLog(&failure));
    EXPECT_EQ(123u, failure);
    EXPECT_TRUE(AskedMessages().empty());
}
