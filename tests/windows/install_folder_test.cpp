#include <gtest/gtest.h>

#include "common/product.h"
#include "records/install_folder_hold.h"
#include "records/registry.h"
#include "setup/install_folder.h"
#include "state/setup_state.h"
#include "tests/support/registry_values.h"
#include "tests/support/registry_view.h"

#include <sddl.h>

class InstallFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved = g_setup;
        g_setup.commandLineFolder = 0;
        g_setup.folderForced = 0;
        DeleteKeyTree(HKEY_LOCAL_MACHINE, kCompanyKey);
    }
    void TearDown() override { g_setup = saved; }

    std::string Resolve()
    {
        char folder[260];
        memset(folder, '#', sizeof folder);
        ResolveDefaultFolder(folder);
        return folder;
    }
    void Store(const char* name, const std::string& text) { SetText(HKEY_LOCAL_MACHINE, ProductKey, name, text); }

    SetupState saved;
    SavedKey machineVendor{HKEY_LOCAL_MACHINE, kCompanyKey};
    SavedValue programFiles{HKEY_LOCAL_MACHINE, WindowsVersionKey, "ProgramFilesDir"};
};

// As Windows reads it: from the current folder, '/' as '\\', "." and ".." levels
// resolved, a level's trailing dots and blanks dropped.
TEST_F(InstallFolderTest, ForcedFolderIsUsedAsWindowsReadsIt)
{
    Store("InstallPath.Beta", "D:\\Stored Beta");
    Store("InstallPath", "E:\\Arbolix");
    char current[MAX_PATH];
    GetCurrentDirectoryA(sizeof current, current);
    const std::pair<std::string, std::string> cases[] = {
        {"relative\\dir", std::string(current) + "\\relative\\dir"},
        {"F:\\Apps\\Arbolix", "F:\\Apps\\Arbolix"},
        {"F:\\Apps\\", "F:\\Apps\\"},
        {"F:/Apps/./Old/../Arbolix. ", "F:\\Apps\\Arbolix"},
        {"", ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.first);
        g_setup.commandLineFolder = c.first.c_str();
        g_setup.folderForced = 1;
        EXPECT_EQ(c.second, Resolve());
    }
}

TEST_F(InstallFolderTest, StoredBetaFolderIsProposedAsStored)
{
    Store("InstallPath.Beta", "D:\\Apps\\Whatever");
    Store("InstallPath", "E:\\Arbolix");
    EXPECT_EQ("D:\\Apps\\Whatever", Resolve());
    Store("InstallPath.Beta", "D:/Apps/Whatever. ");
    EXPECT_EQ("D:\\Apps\\Whatever", Resolve());
}

TEST_F(InstallFolderTest, DefaultFolderOptionComesAfterTheStoredBetaFolder)
{
    g_setup.commandLineFolder = "G:/Given/.";
    Store("InstallPath", "E:\\Arbolix");
    EXPECT_EQ("G:\\Given", Resolve());
    Store("InstallPath.Beta", "D:\\Stored Beta");
    EXPECT_EQ("D:\\Stored Beta", Resolve());
}

TEST_F(InstallFolderTest, EmptyDefaultFolderOptionIsPassedOver)
{
    g_setup.commandLineFolder = "";
    Store("InstallPath", "E:\\Arbolix");
    EXPECT_EQ("E:\\Arbolix Beta", Resolve());
}

TEST_F(InstallFolderTest, ReleaseFolderGetsTheChannelsLastComponent)
{
    Store("InstallPath", "D:\\Apps\\Arbolix");
    EXPECT_EQ("D:\\Apps\\Arbolix Beta", Resolve());
    Store("InstallPath", "E:\\Arbolix\\");
    EXPECT_EQ("E:\\Arbolix\\Arbolix Beta", Resolve());
    Store("InstallPath", "E:\\");
    EXPECT_EQ("E:\\Arbolix Beta", Resolve());
    // Its last level as Windows reads the folder: a relative one from the current folder.
    Store("InstallPath", "D:/Apps/Arbolix");
    EXPECT_EQ("D:\\Apps\\Arbolix Beta", Resolve());
    char current[MAX_PATH];
    GetCurrentDirectoryA(sizeof current, current);
    Store("InstallPath", "NoSeparator");
    EXPECT_EQ(std::string(current) + "\\Arbolix Beta", Resolve());
}

TEST_F(InstallFolderTest, ReleaseFolderTooLongForTheChannelNameIsPassedOver)
{
    SetText(HKEY_LOCAL_MACHINE, WindowsVersionKey, "ProgramFilesDir", "D:\\Programme");
    std::string release = "E:\\" + std::string(250, 'r') + "\\x";  // 255 characters
    Store("InstallPath", release);
    EXPECT_EQ("D:\\Programme\\Arbolix Beta", Resolve());
}

TEST_F(InstallFolderTest, WithoutStoredFoldersProgramFilesIsUsed)
{
    EXPECT_EQ(std::string(kProgramFilesFolder) + "\\Arbolix Beta", Resolve());
    SetText(HKEY_LOCAL_MACHINE, WindowsVersionKey, "ProgramFilesDir", "D:\\Programme");
    EXPECT_EQ("D:\\Programme\\Arbolix Beta", Resolve());
    SetText(HKEY_LOCAL_MACHINE, WindowsVersionKey, "ProgramFilesDir", "D:\\Programme\\");
    EXPECT_EQ("D:\\Programme\\Arbolix Beta", Resolve());
}

TEST_F(InstallFolderTest, WithoutProgramFilesValueTheUsualFolderIsUsed)
{
    DeleteValue(HKEY_LOCAL_MACHINE, WindowsVersionKey, "ProgramFilesDir");
    EXPECT_EQ("C:\\Program Files\\Arbolix Beta", Resolve());
    DWORD number = 1;
    SetRaw(HKEY_LOCAL_MACHINE, WindowsVersionKey, "ProgramFilesDir", REG_DWORD, &number, sizeof number);
    EXPECT_EQ("C:\\Program Files\\Arbolix Beta", Resolve());
    SetText(HKEY_LOCAL_MACHINE, WindowsVersionKey, "ProgramFilesDir", "D:\\" + std::string(250, 'p'));
    EXPECT_EQ("C:\\Program Files\\Arbolix Beta", Resolve());
}

TEST_F(InstallFolderTest, RememberedFolderIsProposedNextTime)
{
    RememberInstallFolder("C:\\Program Files\\Arbolix Beta Custom");
    RegistryValue value = ReadValue(HKEY_LOCAL_MACHINE, ProductKey, "InstallPath.Beta");
    EXPECT_EQ((DWORD)REG_SZ, value.type);
    EXPECT_EQ("C:\\Program Files\\Arbolix Beta Custom", value.Text());
    EXPECT_EQ(37u, value.data.size());
    EXPECT_EQ("C:\\Program Files\\Arbolix Beta Custom", Resolve());
}

// Under C:\ every user may change a folder an administrator makes: the install folder
// setup makes there lets only Administrators and SYSTEM change it, and its files
// inherit that. Under each of the Program Files folders it inherits theirs.
TEST_F(InstallFolderTest, FolderMadeOutsideProgramFilesIsForAdministratorsToChange)
{
    SavedValue x86{HKEY_LOCAL_MACHINE, WindowsVersionKey, "ProgramFilesDir (x86)"};
    SavedValue w6432{HKEY_LOCAL_MACHINE, WindowsVersionKey, "ProgramW6432Dir"};
    SetText(HKEY_LOCAL_MACHINE, WindowsVersionKey, "ProgramFilesDir", "D:\\Programme");
    SetText(HKEY_LOCAL_MACHINE, WindowsVersionKey, "ProgramFilesDir (x86)", "D:\\Programme (x86)");
    SetText(HKEY_LOCAL_MACHINE, WindowsVersionKey, "ProgramW6432Dir", "E:\\Programs");
    for (const char* inherits : {"D:\\Programme\\Arbolix Beta", "d:\\programme (x86)\\A\\B", "E:\\Programs\\X"})
        EXPECT_EQ(nullptr, InstallFolderSecurity(inherits)) << inherits;

    PSECURITY_DESCRIPTOR expected = 0;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(
        "D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)", SDDL_REVISION_1, &expected, 0));
    for (const char* protectedFolder : {"C:\\Apps\\Arbolix Beta", "D:\\Programme Beta", "E:\\Programs"}) {
        PSECURITY_DESCRIPTOR given = (PSECURITY_DESCRIPTOR)InstallFolderSecurity(protectedFolder);
        ASSERT_NE(nullptr, given) << protectedFolder;
        ASSERT_TRUE(IsValidSecurityDescriptor(given));
        ASSERT_EQ(GetSecurityDescriptorLength(expected), GetSecurityDescriptorLength(given));
        EXPECT_EQ(0, memcmp(expected, given, GetSecurityDescriptorLength(given))) << protectedFolder;
    }
    LocalFree(expected);
}
