#include <gtest/gtest.h>

#include "common/product.h"
#include "common/registry_access.h"
#include "records/registry.h"
#include "tests/support/registry_values.h"
#include "tests/support/registry_view.h"

static std::vector<BYTE> Sz(const std::string& text)
{
    std::vector<BYTE> bytes(text.begin(), text.end());
    bytes.push_back(0);
    return bytes;
}

// Every test starts without any of the installer's keys and leaves the registry as it found it.
class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        DeleteKeyTree(HKEY_LOCAL_MACHINE, kCompanyKey);
        DeleteKeyTree(HKEY_CURRENT_USER, kCompanyKey);
        DeleteKeyTree(HKEY_LOCAL_MACHINE, kUninstallKey);
        DeleteKeyTree(HKEY_LOCAL_MACHINE, kExtensionKey);
    }

    std::string ReadProduct(const char* name, DWORD size = 260)
    {
        std::vector<char> buffer(size, '#');
        ReadProductValue(name, buffer.data(), size);
        return buffer.data();
    }

    SavedKey machineVendor{HKEY_LOCAL_MACHINE, kCompanyKey};
    SavedKey userVendor{HKEY_CURRENT_USER, kCompanyKey};
    SavedKey uninstall{HKEY_LOCAL_MACHINE, kUninstallKey};
    SavedKey extension{HKEY_LOCAL_MACHINE, kExtensionKey};
};

TEST_F(RegistryTest, KeyPathsAreTheInstallersOwn)
{
    EXPECT_STREQ(kProductKey, ProductKey);
    EXPECT_STREQ(kSettingsKey, SettingsKey);
    EXPECT_STREQ(kUninstallKey, UninstallKey);
    EXPECT_STREQ(kExtensionKey, DocumentExtensionKey);
    EXPECT_STREQ("Software\\Microsoft\\Windows\\CurrentVersion", WindowsVersionKey);
}

TEST_F(RegistryTest, ProductValueIsWrittenAsTextWithItsTerminatorAndOverwritten)
{
    WriteProductValue("InstallPath.Beta", "C:\\Program Files\\Arbolix Beta");
    RegistryValue value = ReadValue(HKEY_LOCAL_MACHINE, ProductKey, "InstallPath.Beta");
    ASSERT_EQ(ERROR_SUCCESS, value.status);
    EXPECT_EQ((DWORD)REG_SZ, value.type);
    EXPECT_EQ(Sz("C:\\Program Files\\Arbolix Beta"), value.data);
    EXPECT_EQ(30u, value.data.size());

    WriteProductValue("InstallPath.Beta", "D:\\B");
    value = ReadValue(HKEY_LOCAL_MACHINE, ProductKey, "InstallPath.Beta");
    EXPECT_EQ(Sz("D:\\B"), value.data);
    EXPECT_EQ(std::vector<std::string>{"InstallPath.Beta"}, ValueNames(HKEY_LOCAL_MACHINE, ProductKey));
    EXPECT_EQ("D:\\B", ReadProduct("InstallPath.Beta"));
}

TEST_F(RegistryTest, EmptyTextIsStoredAsItsTerminatorAlone)
{
    WriteProductValue("InstallPath.Beta", "");
    RegistryValue value = ReadValue(HKEY_LOCAL_MACHINE, ProductKey, "InstallPath.Beta");
    EXPECT_EQ((DWORD)REG_SZ, value.type);
    EXPECT_EQ(std::vector<BYTE>{0}, value.data);
}

TEST_F(RegistryTest, MissingKeyOrValueReadsEmpty)
{
    EXPECT_EQ("", ReadProduct("InstallPath.Beta"));
    SetText(HKEY_LOCAL_MACHINE, ProductKey, "Other", "x");
    EXPECT_EQ("", ReadProduct("InstallPath.Beta"));

    char buffer[8] = "garbage";
    ReadTextValue(0, "Other", buffer, sizeof buffer);
    EXPECT_STREQ("", buffer);
}

TEST_F(RegistryTest, ValueIsReadOnlyWhenItFitsWithItsTerminator)
{
    std::string fits(259, 'a');
    SetText(HKEY_LOCAL_MACHINE, ProductKey, "InstallPath", fits);
    EXPECT_EQ(fits, ReadProduct("InstallPath"));

    SetText(HKEY_LOCAL_MACHINE, ProductKey, "InstallPath", fits + "b");
    EXPECT_EQ("", ReadProduct("InstallPath"));

    SetText(HKEY_LOCAL_MACHINE, ProductKey, "UserAcceptedAgreement", std::string(31, 'Y'));
    EXPECT_EQ(std::string(31, 'Y'), ReadProduct("UserAcceptedAgreement", 32));
    SetText(HKEY_LOCAL_MACHINE, ProductKey, "UserAcceptedAgreement", std::string(32, 'Y'));
    EXPECT_EQ("", ReadProduct("UserAcceptedAgreement", 32));
}

TEST_F(RegistryTest, ValuesThatAreNotTerminatedTextReadEmpty)
{
    // The byte after the given size is not zero, so nothing adds a terminator.
    SetRaw(HKEY_LOCAL_MACHINE, ProductKey, "Unterminated", REG_SZ, "D:\\AppsX", 7);
    ASSERT_EQ((std::vector<BYTE>{'D', ':', '\\', 'A', 'p', 'p', 's'}),
              ReadValue(HKEY_LOCAL_MACHINE, ProductKey, "Unterminated").data);
    EXPECT_EQ("", ReadProduct("Unterminated"));

    DWORD number = 0x00413a44;  // "D:A" and a zero byte, but a number
    SetRaw(HKEY_LOCAL_MACHINE, ProductKey, "Number", REG_DWORD, &number, sizeof number);
    EXPECT_EQ("", ReadProduct("Number"));

    SetRaw(HKEY_LOCAL_MACHINE, ProductKey, "Binary", REG_BINARY, "D:\\Apps", 8);
    EXPECT_EQ("", ReadProduct("Binary"));

    SetRaw(HKEY_LOCAL_MACHINE, ProductKey, "List", REG_MULTI_SZ, "D:\\Apps\0E:\\\0", 13);
    EXPECT_EQ("", ReadProduct("List"));

    SetRaw(HKEY_LOCAL_MACHINE, ProductKey, "Empty", REG_SZ, "", 0);
    EXPECT_EQ("", ReadProduct("Empty"));
}

TEST_F(RegistryTest, ExpandableTextIsReadAsStored)
{
    SetRaw(HKEY_LOCAL_MACHINE, ProductKey, "InstallPath", REG_EXPAND_SZ, "%SystemDrive%\\Apps", 19);
    EXPECT_EQ("%SystemDrive%\\Apps", ReadProduct("InstallPath"));
}

TEST_F(RegistryTest, MachineValueReadsFromAnyKey)
{
    char buffer[260];
    ReadMachineValue(WindowsVersionKey, "ProgramFilesDir", buffer, sizeof buffer);
    EXPECT_STREQ(kProgramFilesFolder, buffer);
    ReadMachineValue("Software\\No Such Vendor\\Key", "ProgramFilesDir", buffer, sizeof buffer);
    EXPECT_STREQ("", buffer);
}

class ChoiceTest : public RegistryTest {
protected:
    void SetUp() override
    {
        RegistryTest::SetUp();
        dialog = CreateWindowExA(0, "STATIC", "dialog", WS_POPUP, 0, 0, 100, 100, 0, 0, 0, 0);
        ASSERT_NE(nullptr, dialog);
        button = CreateWindowExA(0, "BUTTON", "I accept", WS_CHILD | BS_RADIOBUTTON, 0, 0, 80, 20, dialog,
                                 (HMENU)(INT_PTR)1025, 0, 0);
        ASSERT_NE(nullptr, button);
    }
    void TearDown() override { DestroyWindow(dialog); }

    // Loads with the button first set against the expected choice, so that a load
    // that leaves the button alone is seen.
    void ExpectLoaded(int expected, int defaultChoice)
    {
        CheckDlgButton(dialog, 1025, expected ? BST_UNCHECKED : BST_CHECKED);
        EXPECT_EQ(expected, LoadChoice(dialog, 1025, "UserAcceptedAgreement", defaultChoice));
        EXPECT_EQ(expected ? (UINT)BST_CHECKED : (UINT)BST_UNCHECKED, IsDlgButtonChecked(dialog, 1025));
    }

    HWND dialog = 0;
    HWND button = 0;
};

TEST_F(ChoiceTest, MissingChoiceGivesTheDefault)
{
    ExpectLoaded(0, 0);
    ExpectLoaded(1, 1);
}

TEST_F(ChoiceTest, OnlyTheExactLettersAreChoices)
{
    SetText(HKEY_LOCAL_MACHINE, ProductKey, "UserAcceptedAgreement", "Y");
    ExpectLoaded(1, 0);
    SetText(HKEY_LOCAL_MACHINE, ProductKey, "UserAcceptedAgreement", "N");
    ExpectLoaded(0, 1);

    for (const char* other : {"y", "n", "Yes", "YN", "NY", "1", "", " Y", "Y "}) {
        SCOPED_TRACE(other);
        SetText(HKEY_LOCAL_MACHINE, ProductKey, "UserAcceptedAgreement", other);
        ExpectLoaded(0, 0);
        ExpectLoaded(1, 1);
    }
}

TEST_F(ChoiceTest, StoredChoiceIsOneLetterOfTheButtonsState)
{
    CheckDlgButton(dialog, 1025, BST_CHECKED);
    EXPECT_EQ(1, StoreChoice(dialog, 1025, "UserAcceptedAgreement"));
    RegistryValue value = ReadValue(HKEY_LOCAL_MACHINE, ProductKey, "UserAcceptedAgreement");
    EXPECT_EQ((DWORD)REG_SZ, value.type);
    EXPECT_EQ(Sz("Y"), value.data);

    CheckDlgButton(dialog, 1025, BST_UNCHECKED);
    EXPECT_EQ(0, StoreChoice(dialog, 1025, "UserAcceptedAgreement"));
    EXPECT_EQ(Sz("N"), ReadValue(HKEY_LOCAL_MACHINE, ProductKey, "UserAcceptedAgreement").data);
    ExpectLoaded(0, 1);
}

TEST_F(RegistryTest, AgreementAcknowledgementIsNumberThreeForTheCurrentUser)
{
    RecordAgreementAcknowledgement();
    RegistryValue value = ReadValue(HKEY_CURRENT_USER, SettingsKey, "LicenseAgreement");
    ASSERT_EQ(ERROR_SUCCESS, value.status);
    EXPECT_EQ((DWORD)REG_DWORD, value.type);
    EXPECT_EQ((std::vector<BYTE>{3, 0, 0, 0}), value.data);
    EXPECT_EQ(std::vector<std::string>{"LicenseAgreement"}, ValueNames(HKEY_CURRENT_USER, SettingsKey));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, SettingsKey));
}

TEST_F(RegistryTest, UninstallEntryHasExactlyFiveTextValues)
{
    WriteUninstallEntry("C:\\Program Files\\Arbolix Beta\\Uninstall.exe", "Arbolix Beta 2.b20e");

    std::vector<std::string> names = ValueNames(HKEY_LOCAL_MACHINE, kUninstallKey);
    std::sort(names.begin(), names.end());
    EXPECT_EQ((std::vector<std::string>{"DisplayName", "HelpLink", "Publisher", "URLInfoAbout", "UninstallString"}),
              names);
    EXPECT_TRUE(SubkeyNames(HKEY_LOCAL_MACHINE, kUninstallKey).empty());

    struct Expected {
        const char* name;
        std::string text;
    };
    // Quoted: unquoted, a path with spaces lets Windows start a planted C:\Program.exe.
    for (const Expected& expected : {
             Expected{"UninstallString", "\"C:\\Program Files\\Arbolix Beta\\Uninstall.exe\""},
             Expected{"DisplayName", "Arbolix Beta 2.b20e"},
             Expected{"Publisher", "Arbolix Inc."},
             Expected{"URLInfoAbout", "https://www.arbolix.example/"},
             Expected{"HelpLink", "https://www.arbolix.example/support/"},
         }) {
        SCOPED_TRACE(expected.name);
        RegistryValue value = ReadValue(HKEY_LOCAL_MACHINE, kUninstallKey, expected.name);
        EXPECT_EQ((DWORD)REG_SZ, value.type);
        EXPECT_EQ(Sz(expected.text), value.data);
    }
    EXPECT_EQ(46u, ReadValue(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString").data.size());
}

TEST_F(RegistryTest, SecondUninstallEntryOverwritesTheFirst)
{
    WriteUninstallEntry("C:\\Program Files\\Arbolix Beta\\Uninstall.exe", "Arbolix Beta 2.b20e");
    WriteUninstallEntry("D:\\B\\Uninstall.exe", "Second");
    EXPECT_EQ(Sz("\"D:\\B\\Uninstall.exe\""), ReadValue(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString").data);
    EXPECT_EQ(Sz("Second"), ReadValue(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName").data);
    EXPECT_EQ(5u, ValueNames(HKEY_LOCAL_MACHINE, kUninstallKey).size());
}

TEST_F(RegistryTest, LongestUninstallerPathIsWrittenWholeInQuotes)
{
    std::string path = "C:\\" + std::string(256, 'u');  // 259 characters, as join path allows
    WriteUninstallEntry(path.c_str(), "Arbolix Beta 2.b20e");
    EXPECT_EQ(Sz("\"" + path + "\""), ReadValue(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString").data);
}

TEST_F(RegistryTest, AssociationSetsOnlyTheExtensionsDefaultValue)
{
    WriteFileAssociation();
    RegistryValue value = ReadValue(HKEY_LOCAL_MACHINE, kExtensionKey, 0);
    ASSERT_EQ(ERROR_SUCCESS, value.status);
    EXPECT_EQ((DWORD)REG_SZ, value.type);
    EXPECT_EQ(Sz("Arbolix.Document"), value.data);
    EXPECT_EQ(std::vector<std::string>{""}, ValueNames(HKEY_LOCAL_MACHINE, kExtensionKey));
    EXPECT_TRUE(SubkeyNames(HKEY_LOCAL_MACHINE, kExtensionKey).empty());
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\Classes\\Arbolix.Document"));
}

TEST_F(RegistryTest, ExistingAssociationIsReplaced)
{
    SetText(HKEY_LOCAL_MACHINE, kExtensionKey, 0, "OtherEditor.Tree");
    WriteFileAssociation();
    EXPECT_EQ(Sz("Arbolix.Document"), ReadValue(HKEY_LOCAL_MACHINE, kExtensionKey, 0).data);
}
