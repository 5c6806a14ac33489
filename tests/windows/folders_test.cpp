#include <gtest/gtest.h>

#include "common/folders.h"
#include "platform/win32.h"
#include "tests/support/temp_folder.h"

class CreateFolderChainTest : public ::testing::Test {
protected:
    void SetUp() override { root = MakeTempFolder("folders"); }
    void TearDown() override { RemoveTree(root); }
    std::string root;
};

TEST_F(CreateFolderChainTest, DriveRootAlreadyExists)
{
    EXPECT_EQ(183u, CreateFolderChain("C:\\"));
    EXPECT_EQ(183u, CreateFolderChain("Q:\\"));  // three characters: never created
}

TEST_F(CreateFolderChainTest, ExistingFolderAlreadyExists)
{
    EXPECT_EQ(183u, CreateFolderChain(root.c_str()));
}

TEST_F(CreateFolderChainTest, RelativeFolderIsNotAValidName)
{
    EXPECT_EQ(123u, CreateFolderChain("relative\\dir"));
    EXPECT_FALSE(IsDirectory("relative"));
}

TEST_F(CreateFolderChainTest, CreatesEveryMissingLevel)
{
    std::string deep = root + "\\new\\deeper\\deepest";
    EXPECT_EQ(0u, CreateFolderChain(deep.c_str()));
    EXPECT_TRUE(IsDirectory(deep.c_str()));
    EXPECT_EQ(183u, CreateFolderChain(deep.c_str()));
}

TEST_F(CreateFolderChainTest, TrailingSeparatorIsCreatedToo)
{
    std::string folder = root + "\\with trailing\\";
    EXPECT_EQ(0u, CreateFolderChain(folder.c_str()));
    EXPECT_TRUE(IsDirectory((root + "\\with trailing").c_str()));
}

TEST_F(CreateFolderChainTest, FolderBlockedByAFileCannotBeCreated)
{
    std::string file = root + "\\plain";
    HANDLE handle = CreateFileA(file.c_str(), GENERIC_WRITE, 0, 0, CREATE_ALWAYS, 0, 0);
    ASSERT_NE(INVALID_HANDLE_VALUE, handle);
    CloseHandle(handle);
    EXPECT_EQ(123u, CreateFolderChain((file + "\\sub").c_str()));
}

TEST_F(CreateFolderChainTest, OverlongFolderIsNotAValidName)
{
    std::string folder = root + "\\" + std::string(300, 'x');
    EXPECT_EQ(123u, CreateFolderChain(folder.c_str()));
}

TEST_F(CreateFolderChainTest, UncFolderOnAMissingServerFails)
{
    EXPECT_EQ(123u, CreateFolderChain("\\\\no-such-server.invalid\\share\\new\\deep"));
}

TEST(IsDirectory, TellsFoldersFromFilesAndMissingPaths)
{
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof windows);
    EXPECT_TRUE(IsDirectory(windows));
    EXPECT_FALSE(IsDirectory((std::string(windows) + "\\notepad.exe").c_str()));
    EXPECT_FALSE(IsDirectory("C:\\no such folder here"));
}
