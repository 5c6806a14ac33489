#include <gtest/gtest.h>

#include "platform/win32.h"
#include "records/uninstall_log.h"
#include "redirected_shell_folders.h"
#include "setup/install_sequence.h"
#include "shell/shortcuts.h"
#include "state/setup_state.h"
#include "tests/support/file_facts.h"
#include "tests/support/machine_state.h"
#include "tests/support/shell_link_reader.h"
#include "tests/support/temp_folder.h"

static const char kDescription[] = "Powerful graphical editor capable to create the most complex genealogy tree";

static std::string RealFolder(int csidl)
{
    char path[MAX_PATH] = "";
    SHGetFolderPathA(0, csidl, 0, SHGFP_TYPE_CURRENT, path);
    return path;
}

class ShortcutsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CoInitialize(0);
        saved = g_setup;
        root = MakeTempFolder("shortcuts");
        installFolder = root + "\\Arbolix Beta";
        CreateDirectoryA(installFolder.c_str(), 0);
        target = installFolder + "\\Arbolix.exe";
        HANDLE file = CreateFileA(target.c_str(), GENERIC_WRITE, 0, 0, CREATE_ALWAYS, 0, 0);
        ASSERT_NE(INVALID_HANDLE_VALUE, file);
        CloseHandle(file);
        linkName = "Arbolix Test " + std::to_string(GetCurrentProcessId()) + ".lnk";
        commonPrograms = RealFolder(CSIDL_COMMON_PROGRAMS);
        commonDesktop = RealFolder(CSIDL_COMMON_DESKTOPDIRECTORY);
        personalPrograms = RealFolder(CSIDL_PROGRAMS);
        personalDesktop = RealFolder(CSIDL_DESKTOPDIRECTORY);
        lstrcpyA(g_setup.installFolder, installFolder.c_str());
        g_setup.uninstallLog = 0;
        DWORD failure;
        ASSERT_EQ(1, StartUninstallLog(&failure));
    }
    void TearDown() override
    {
        CloseUninstallLog();
        for (const std::string& folder : {commonPrograms, commonDesktop, personalPrograms, personalDesktop})
            DeleteFileA(Link(folder).c_str());
        RemoveTree(root);
        g_setup = saved;
    }

    std::string Link(const std::string& folder) { return folder + "\\" + linkName; }
    std::vector<std::string> Logged() { return LoggedFiles(installFolder); }

    // A folder where the link cannot be saved: a folder of the link's name stands in its place.
    std::string BlockedFolder(const char* name)
    {
        std::string folder = root + "\\" + name;
        CreateDirectoryA(folder.c_str(), 0);
        CreateDirectoryA(Link(folder).c_str(), 0);
        return folder;
    }

    void ExpectLinkToTarget(const std::string& linkPath)
    {
        ShellLinkContents contents = ReadShellLink(linkPath);
        ASSERT_TRUE(contents.loaded) << linkPath;
        EXPECT_EQ(target, contents.target);
        EXPECT_EQ(root + "\\Arbolix Beta", contents.workingDirectory);
        EXPECT_EQ(kDescription, contents.description);
    }

    SetupState saved;
    RedirectedShellFolders folders;
    std::string root, installFolder, target, linkName;
    std::string commonPrograms, commonDesktop, personalPrograms, personalDesktop;
    HRESULT failedSave = S_OK;
};

TEST_F(ShortcutsTest, RealShellFoldersAreFound)
{
    char path[MAX_PATH];
    EXPECT_NE(0, GetShellFolderPath(CSIDL_COMMON_PROGRAMS, path));
    EXPECT_STREQ("C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs", path);
    EXPECT_NE(0, GetShellFolderPath(CSIDL_COMMON_DESKTOPDIRECTORY, path));
    EXPECT_STREQ("C:\\users\\Public\\Desktop", path);
    EXPECT_NE(0, GetShellFolderPath(CSIDL_PROGRAMS, path));
    EXPECT_EQ(personalPrograms, path);
    EXPECT_NE(0, GetShellFolderPath(CSIDL_DESKTOPDIRECTORY, path));
    EXPECT_EQ(personalDesktop, path);
    EXPECT_NE(std::string::npos, personalDesktop.find("\\Desktop"));
}

TEST_F(ShortcutsTest, FolderWithoutFileSystemPathIsNotFound)
{
    char path[MAX_PATH] = "garbage";
    EXPECT_EQ(0, GetShellFolderPath(CSIDL_CONTROLS, path));
    EXPECT_STREQ("", path);
    strcpy(path, "garbage");
    EXPECT_EQ(0, GetShellFolderPath(0xff, path));
    EXPECT_STREQ("", path);
}

TEST_F(ShortcutsTest, FolderChoiceFollowsAllUsersMode)
{
    char path[MAX_PATH];
    g_setup.allUsers = 1;
    EXPECT_NE(0, GetProgramsFolderPath(path));
    EXPECT_EQ(commonPrograms, path);
    EXPECT_NE(0, GetDesktopFolderPath(path));
    EXPECT_EQ(commonDesktop, path);
    g_setup.allUsers = 0;
    EXPECT_NE(0, GetProgramsFolderPath(path));
    EXPECT_EQ(personalPrograms, path);
    EXPECT_NE(0, GetDesktopFolderPath(path));
    EXPECT_EQ(personalDesktop, path);
}

TEST_F(ShortcutsTest, LinkPointsAtTheTargetAndWorksInItsFolder)
{
    std::string link = root + "\\made.lnk";
    EXPECT_EQ(1, CreateShellLink(link.c_str(), target.c_str(), 0));
    ExpectLinkToTarget(link);
    EXPECT_EQ("", ReadShellLink(link).arguments);
}

TEST_F(ShortcutsTest, TargetInADriveRootWorksInTheRoot)
{
    std::string link = root + "\\root.lnk";
    EXPECT_EQ(1, CreateShellLink(link.c_str(), "C:\\Arbolix.exe", 0));
    ShellLinkContents contents = ReadShellLink(link);
    ASSERT_TRUE(contents.loaded);
    EXPECT_EQ("C:\\Arbolix.exe", contents.target);
    EXPECT_EQ("C:\\", contents.workingDirectory);

    EXPECT_EQ(1, CreateShellLink(link.c_str(), "C:\\Program Files\\Arbolix\\Arbolix.exe", 0));
    EXPECT_EQ("C:\\Program Files\\Arbolix", ReadShellLink(link).workingDirectory);
}

TEST_F(ShortcutsTest, LinkThatCannotBeSavedFails)
{
    std::string blocked = BlockedFolder("blocked");
    EXPECT_EQ(0, CreateShellLink(Link(blocked).c_str(), target.c_str(), 0));
    EXPECT_EQ(0, CreateShellLink((root + "\\missing\\x.lnk").c_str(), target.c_str(), 0));
    EXPECT_FALSE(PathExists(root + "\\missing"));
}

TEST_F(ShortcutsTest, AllUsersShortcutGoesToTheCommonFolderAndIsLoggedFirst)
{
    g_setup.allUsers = 1;
    EXPECT_EQ(1, CreateProgramsShortcut(linkName.c_str(), target.c_str(), &failedSave));
    EXPECT_EQ(std::vector<std::string>{Link(commonPrograms)}, Logged());
    ExpectLinkToTarget(Link(commonPrograms));
    EXPECT_FALSE(PathExists(Link(personalPrograms)));
    EXPECT_EQ(1, g_setup.allUsers);

    EXPECT_EQ(1, CreateDesktopShortcut(linkName.c_str(), target.c_str(), &failedSave));
    EXPECT_EQ((std::vector<std::string>{Link(commonPrograms), Link(commonDesktop)}), Logged());
    ExpectLinkToTarget(Link(commonDesktop));
    EXPECT_FALSE(PathExists(Link(personalDesktop)));
}

TEST_F(ShortcutsTest, PersonalShortcutsWhenAllUsersModeIsOff)
{
    g_setup.allUsers = 0;
    EXPECT_EQ(1, CreateProgramsShortcut(linkName.c_str(), target.c_str(), &failedSave));
    EXPECT_EQ(1, CreateDesktopShortcut(linkName.c_str(), target.c_str(), &failedSave));
    EXPECT_EQ((std::vector<std::string>{Link(personalPrograms), Link(personalDesktop)}), Logged());
    ExpectLinkToTarget(Link(personalPrograms));
    ExpectLinkToTarget(Link(personalDesktop));
    EXPECT_FALSE(PathExists(Link(commonPrograms)));
    EXPECT_FALSE(PathExists(Link(commonDesktop)));
}

TEST_F(ShortcutsTest, CommonFailureFallsBackOnceAndLeavesAllUsersModeOff)
{
    std::string blocked = BlockedFolder("common programs");
    folders.Redirect(kCommonPrograms, blocked);
    g_setup.allUsers = 1;
    EXPECT_EQ(1, CreateProgramsShortcut(linkName.c_str(), target.c_str(), &failedSave));
    EXPECT_EQ((std::vector<std::string>{Link(blocked), Link(personalPrograms)}), Logged());
    ExpectLinkToTarget(Link(personalPrograms));
    EXPECT_EQ(0, g_setup.allUsers);

    // The desktop shortcut that follows goes straight to the personal folder.
    EXPECT_EQ(1, CreateDesktopShortcut(linkName.c_str(), target.c_str(), &failedSave));
    EXPECT_EQ((std::vector<std::string>{Link(blocked), Link(personalPrograms), Link(personalDesktop)}), Logged());
    EXPECT_FALSE(PathExists(Link(commonDesktop)));
}

TEST_F(ShortcutsTest, FailureInBothFoldersFailsAfterTwoAttempts)
{
    std::string common = BlockedFolder("common desktop");
    std::string personal = BlockedFolder("personal desktop");
    folders.Redirect(kCommonDesktop, common);
    folders.Redirect(kPersonalDesktop, personal);
    g_setup.allUsers = 1;
    EXPECT_EQ(0, CreateDesktopShortcut(linkName.c_str(), target.c_str(), &failedSave));
    EXPECT_EQ((std::vector<std::string>{Link(common), Link(personal)}), Logged());
    EXPECT_EQ(0, g_setup.allUsers);
}

TEST_F(ShortcutsTest, FirstFailureIsFinalWhenAllUsersModeIsOff)
{
    std::string blocked = BlockedFolder("personal programs");
    folders.Redirect(kPersonalPrograms, blocked);
    g_setup.allUsers = 0;
    EXPECT_EQ(0, CreateProgramsShortcut(linkName.c_str(), target.c_str(), &failedSave));
    EXPECT_EQ(std::vector<std::string>{Link(blocked)}, Logged());
    EXPECT_FALSE(PathExists(Link(commonPrograms)));
    EXPECT_EQ(0, g_setup.allUsers);
}

TEST_F(ShortcutsTest, FailedFolderLookupFailsWithoutFallbackOrLogLine)
{
    folders.Redirect(kCommonPrograms, root + "\\no such folder");
    folders.Redirect(kCommonDesktop, root + "\\no such folder");
    g_setup.allUsers = 1;
    EXPECT_EQ(0, CreateProgramsShortcut(linkName.c_str(), target.c_str(), &failedSave));
    EXPECT_EQ(0, CreateDesktopShortcut(linkName.c_str(), target.c_str(), &failedSave));
    EXPECT_TRUE(Logged().empty());
    EXPECT_EQ(1, g_setup.allUsers);
    EXPECT_FALSE(PathExists(Link(personalPrograms)));
    EXPECT_FALSE(PathExists(Link(personalDesktop)));
}

TEST_F(ShortcutsTest, LinkPathTooLongIsNeitherLoggedNorCreated)
{
    std::string longName = std::string(250, 'n') + ".lnk";
    g_setup.allUsers = 1;
    EXPECT_EQ(0, CreateProgramsShortcut(longName.c_str(), target.c_str(), &failedSave));
    EXPECT_TRUE(Logged().empty());
}
