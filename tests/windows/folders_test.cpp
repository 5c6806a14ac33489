#include <gtest/gtest.h>

#include <string.h>

#include "common/contained_delete.h"
#include "common/folders.h"
#include "platform/win32.h"
#include "kernel_seams.h"
#include "tests/support/file_facts.h"
#include "tests/support/temp_folder.h"
#include "uninstaller/install_folders.h"
#include "uninstaller/remove_files.h"
#include "uninstaller/remove_installation.h"
#include "uninstaller/uninstall_state.h"

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

class RealPathLookupTest : public CreateFolderChainTest {};

// Where a form cannot be told, folder and file are read in the next one alike: the
// name as opened (a share refusing the normalized name), else the NT form.
TEST_F(RealPathLookupTest, WithoutTheUsualFormFolderAndFileCompareInAnother)
{
    const struct { unsigned failing; bool ntForm; } cases[] = {{kNormalizedForm, false}, {kDosPathForm, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.failing);
        RealPathFailure failing(c.failing);
        std::string file = root + "\\listed.txt";
        WriteBytes(file, "installed");
        char realFolder[kPathCapacity];
        ASSERT_TRUE(RealPathOf(root.c_str(), realFolder));
        EXPECT_EQ(c.ntForm, strncmp(realFolder, "\\Device\\", 8) == 0) << realFolder;
        UninstallState saved = g_uninstall;
        lstrcpyA(g_uninstall.realInstallFolder, realFolder);
        EXPECT_EQ(0u, DeleteFileInInstallation(file.c_str()));
        g_uninstall = saved;
        EXPECT_FALSE(PathExists(file));
    }
}

// Best fit would read a name with a character the code page lacks as another
// ("X\u0100" as "XA"), and so a file there as one inside "XA": such a path is told
// exactly (a UTF-8 code page) or not at all.
TEST_F(RealPathLookupTest, PathTheCodePageCannotHoldIsNotTakenForAnother)
{
    std::wstring named = std::wstring(root.begin(), root.end()) + L"\\X\u0100";
    ASSERT_TRUE(CreateDirectoryW(named.c_str(), 0));
    HANDLE handle = CreateFileW(named.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ, 0, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, 0);
    char real[kPathCapacity];
    RealPathOfHandle(handle, real);
    CloseHandle(handle);
    RemoveDirectoryW(named.c_str());
    std::string text = real;
    EXPECT_EQ(GetACP() == CP_UTF8 ? "X\xC4\x80" : "", text.substr(text.find_last_of('\\') + 1)) << real;
}

// The uninstaller, whose folder's real path cannot be read at all, touches nothing.
TEST_F(RealPathLookupTest, UninstallerRemovesNothingFromAFolderItCannotResolve)
{
    RealPathFailure failing(kBothPathForms);
    std::string file = root + "\\Arbolix.exe";
    WriteBytes(file, "installed");
    WriteBytes(root + "\\Uninstall.cfg", "f" + file + "\r\n");
    UninstallState saved = g_uninstall;
    ASSERT_TRUE(LocateInstallation((root + "\\Uninstall.exe").c_str()));
    int installFolderListed = 0;
    EXPECT_EQ((DWORD)ERROR_CANT_RESOLVE_FILENAME, RemoveInstallation(&installFolderListed));
    g_uninstall = saved;
    EXPECT_TRUE(PathExists(file));
    EXPECT_TRUE(PathExists(root + "\\Uninstall.cfg"));
}

// A scanner (antivirus, the indexer) holds each new file open with every sharing;
// Windows keeps a name deleted the classic way until the last handle closes. A name
// deleted must be free at once: made again, it holds the new data after the
// scanner lets go.
TEST_F(CreateFolderChainTest, NameDeletedUnderAScannerIsFreeAtOnce)
{
    std::string file = root + "\\Sample.txt";
    WriteBytes(file, "first");
    HANDLE scanner = CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, 0,
                                 OPEN_EXISTING, 0, 0);
    ASSERT_NE(INVALID_HANDLE_VALUE, scanner);
    UninstallState saved = g_uninstall;
    ASSERT_TRUE(RealPathOf(root.c_str(), g_uninstall.realInstallFolder));
    EXPECT_EQ(0u, DeleteFileInInstallation(file.c_str()));
    g_uninstall = saved;
    HANDLE again = CreateFileA(file.c_str(), GENERIC_WRITE, 0, 0, CREATE_NEW, 0, 0);
    EXPECT_NE(INVALID_HANDLE_VALUE, again) << GetLastError();
    DWORD written = 0;
    WriteFile(again, "second", 6, &written, 0);
    CloseHandle(again);
    CloseHandle(scanner);
    EXPECT_EQ("second", ReadBytes(file));
}
