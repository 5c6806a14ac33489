#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "install_fixture.h"
#include "payload/archive_format.h"
#include "payload/install_payload.h"
#include "payload/runtime_prerequisite.h"
#include "platform/win32.h"
#include "scripted_dialogs.h"
#include "tests/support/file_facts.h"
#include "tests/support/file_links.h"
#include "tests/support/registry_view.h"
#include "tests/support/temp_folder.h"

static PackEntry GatedEntry(const std::string& name, const std::string& data, uint32_t ms, uint32_t ls)
{
    PackEntry entry = FileEntry(name, data, kLogForUninstall | kVersionGated);
    entry.minimumVersionMS = ms;
    entry.minimumVersionLS = ls;
    return entry;
}

static PackEntry RuntimePrerequisite(const std::string& name)
{
    PackEntry entry = GatedEntry(name, "", 0x00040002, 0);
    entry.storage = PieceStorage::Stored;
    return entry;
}

static std::string RuntimeQuestion()
{
    return "Your machine needs two important system files.\nWould you like to download "
           "https://www.arbolix.example/InstallMfcDLL.exe (625 KB) to install these files?";
}

TEST_F(InstallTest, VersionGatedEntriesInstallOnlyOverOlderFiles)
{
    CreateDirectoryA(folder.c_str(), 0);
    const struct {
        const char* name;
        const char* existing;  // a probe program, "" for a plain file, null for none
        bool installed;
    } cases[] = {
        {"older.dll", "probe_2_3_4_4", true},
        {"equal.dll", "probe_2_3_4_5", false},
        {"newer.dll", "probe_2_3_5_0", false},
        {"newer-build.dll", "probe_2_3_65535_0", false},
        {"much-newer.dll", "probe_40000_0_0_0", false},
        {"missing.dll", nullptr, true},
        {"unversioned.dll", "", true},
    };
    std::vector<PackEntry> entries;
    for (const auto& c : cases) {
        std::string target = folder + "\\" + c.name;
        if (c.existing && *c.existing)
            ASSERT_TRUE(CopyFileA(Probe(c.existing).c_str(), target.c_str(), FALSE)) << c.existing;
        else if (c.existing)
            WriteBytes(target, "no version information");
        entries.push_back(GatedEntry(c.name, std::string("new ") + c.name, 0x00020003, 0x00040005));
    }
    entries.push_back(GatedEntry("never.dll", "minimum (0,0)", 0, 0));
    UseEntries(entries);
    EXPECT_EQ(1, InstallAttempt());
    EXPECT_EQ(0u, exitCode);
    EXPECT_TRUE(AskedMessages().empty());

    std::string expectedLog;
    for (const auto& c : cases) {
        std::string target = folder + "\\" + c.name;
        bool replaced = ReadBytes(target) == std::string("new ") + c.name;
        EXPECT_EQ(c.installed, replaced) << c.name;
        if (c.installed)
            expectedLog += "f" + target + "\r\n";
    }
    EXPECT_FALSE(PathExists(folder + "\\never.dll"));
    EXPECT_EQ(expectedLog, Log());
    EXPECT_EQ(0, g_setup.runtimePromptState);
}

TEST_F(InstallTest, RuntimeThatCannotStartIsMarkedMissingAndAskedOncePerRun)
{
    UseEntries({RuntimePrerequisite("mfc42.dll"), FileEntry("a.txt", "a"), RuntimePrerequisite("mfc42u.dll")});
    ScriptMessageAnswers({IDNO});
    EXPECT_EQ(1, InstallAttempt());
    EXPECT_EQ(1, g_setup.runtimeMissing);
    EXPECT_EQ(IDNO, g_setup.runtimePromptState);
    ASSERT_EQ(1u, AskedMessages().size());
    EXPECT_EQ(RuntimeQuestion(), AskedMessages()[0].text);
    EXPECT_EQ((UINT)(MB_YESNOCANCEL | MB_ICONQUESTION), AskedMessages()[0].type);
    EXPECT_FALSE(PathExists(folder + "\\mfc42.dll"));
    EXPECT_EQ("d" + folder + "\r\nf" + folder + "\\a.txt\r\n", Log());
    EXPECT_EQ(0u, exitCode);

    EXPECT_EQ(1, InstallAttempt());  // a second Install in the same run
    EXPECT_EQ(1u, AskedMessages().size());
}

TEST_F(InstallTest, RuntimeQuestionIsAskedInSilentModeToo)
{
    UseEntries({RuntimePrerequisite("mfc42.dll")});
    g_setup.silent = 1;
    ScriptMessageAnswers({IDCANCEL});
    EXPECT_EQ(1, InstallAttempt());
    ASSERT_EQ(1u, AskedMessages().size());
    EXPECT_EQ(RuntimeQuestion(), AskedMessages()[0].text);
    EXPECT_EQ(1, g_setup.runtimeMissing);
}

TEST_F(InstallTest, RuntimeQuestionThatCouldNotBeShownIsNotAskedAgain)
{
    UseEntries({RuntimePrerequisite("mfc42.dll"), RuntimePrerequisite("mfc42u.dll")});
    EXPECT_EQ(1, InstallAttempt());  // no scripted answer: the box "could not be shown"
    EXPECT_EQ(1u, AskedMessages().size());
    EXPECT_NE(0, g_setup.runtimePromptState);
}

TEST_F(InstallTest, RuntimeAlreadyNewEnoughIsLeftAlone)
{
    CreateDirectoryA(folder.c_str(), 0);
    PackEntry entry = RuntimePrerequisite("runtime.dll");
    entry.minimumVersionMS = 0x00020003;
    entry.minimumVersionLS = 0x00040005;
    ASSERT_TRUE(CopyFileA(Probe("probe_2_3_4_5").c_str(), (folder + "\\runtime.dll").c_str(), FALSE));
    UseEntries({entry});
    EXPECT_EQ(1, InstallAttempt());
    EXPECT_TRUE(AskedMessages().empty());
    EXPECT_EQ(0, g_setup.runtimePromptState);
    EXPECT_EQ(0, g_setup.runtimeMissing);
}

// The probe programs write their command lines to the file this names.
class ProbeRecord {
public:
    explicit ProbeRecord(const std::string& path) : path(path)
    {
        DeleteFileA(path.c_str());
        SetEnvironmentVariableA("ARBOLIX_PROBE_RECORD", path.c_str());
    }
    ~ProbeRecord() { SetEnvironmentVariableA("ARBOLIX_PROBE_RECORD", 0); }
    // What the probe wrote, once it has; "" after ten seconds without.
    std::string Wait() const
    {
        for (int i = 0; i < 500; ++i) {
            std::string text = ReadBytes(path);
            if (text != "<missing>" && !text.empty())
                return text;
            Sleep(20);
        }
        return "";
    }
    const std::string path;
};

TEST_F(InstallTest, RuntimeInstallerIsStartedFromTheSetupProgramsFolderNeverTheCurrentOne)
{
    // The setup program's module lies in one folder and the current directory is
    // another; each holds a probe of the installer's name.
    std::string own = root + "\\own", current = root + "\\downloads";
    for (const std::string& where : {own, current}) {
        CreateDirectoryA(where.c_str(), 0);
        ASSERT_TRUE(CopyFileA(Probe("command_probe").c_str(), (where + "\\InstallMfcDLL.exe").c_str(), FALSE));
    }
    ASSERT_TRUE(CopyFileA(PROBE_DIR "\\planted.dll", (own + "\\setup.dll").c_str(), FALSE));
    HMODULE module = LoadLibraryA((own + "\\setup.dll").c_str());
    ASSERT_NE(nullptr, module);
    g_setup.module = module;
    ProbeRecord record(root + "\\started.txt");
    char previous[MAX_PATH];
    GetCurrentDirectoryA(sizeof previous, previous);
    SetCurrentDirectoryA(current.c_str());
    InstallRuntimePrerequisite();
    SetCurrentDirectoryA(previous);
    EXPECT_EQ("\"" + own + "\\InstallMfcDLL.exe\" /silent\n", record.Wait());
    FreeLibrary(module);
    EXPECT_TRUE(AskedMessages().empty());
    EXPECT_EQ(0, g_setup.runtimeMissing);
    EXPECT_NE(0, g_setup.runtimePromptState);
}

// While it lives, the handler of https addresses is a probe program.
class HttpsHandlerProbe {
public:
    HttpsHandlerProbe()
    {
        RegOpenKeyExA(HKEY_CLASSES_ROOT, kKey, 0, KEY_READ | KEY_WRITE | kProgramView, &command);
        DWORD size = sizeof original;
        if (!command || RegQueryValueExA(command, 0, 0, 0, (BYTE*)original, &size) != ERROR_SUCCESS)
            original[0] = 0;
        std::string handler = "\"" + Probe("command_probe") + "\" \"%1\"";
        if (command)
            RegSetValueExA(command, 0, 0, REG_SZ, (const BYTE*)handler.c_str(), (DWORD)handler.size() + 1);
    }
    ~HttpsHandlerProbe()
    {
        if (!command)
            return;
        RegSetValueExA(command, 0, 0, REG_SZ, (const BYTE*)original, (DWORD)lstrlenA(original) + 1);
        RegCloseKey(command);
    }
    bool ready() const { return command != 0 && original[0] != 0; }

private:
    static constexpr const char* kKey = "https\\shell\\open\\command";
    HKEY command = 0;
    char original[1024];
};

TEST_F(InstallTest, YesOpensTheDownloadAddress)
{
    HttpsHandlerProbe handler;
    ASSERT_TRUE(handler.ready());
    ProbeRecord record(root + "\\opened.txt");
    UseEntries({RuntimePrerequisite("mfc42.dll")});
    ScriptMessageAnswers({IDYES});
    EXPECT_EQ(1, InstallAttempt());
    const std::string opened = "\"" + Probe("command_probe") + "\" \"https://www.arbolix.example/InstallMfcDLL.exe\"\n";
    EXPECT_EQ(opened, record.Wait());
    EXPECT_EQ(IDYES, g_setup.runtimePromptState);
    EXPECT_EQ(1, g_setup.runtimeMissing);

    // Where the desktop's shell answers it opens the page, as the desktop's user.
    ScriptDesktopShell(kDesktopShellTakesStarts);
    g_setup.runtimePromptState = 0;  // asked once a run
    ScriptMessageAnswers({IDYES});
    EXPECT_EQ(1, InstallAttempt());
    EXPECT_EQ(std::vector<std::string>{"https://www.arbolix.example/InstallMfcDLL.exe <none>"}, DesktopStarts());
    EXPECT_EQ(opened, ReadBytes(record.path));
}

TEST_F(InstallTest, NoOpensNothing)
{
    HttpsHandlerProbe handler;
    ASSERT_TRUE(handler.ready());
    ProbeRecord record(root + "\\opened.txt");
    UseEntries({RuntimePrerequisite("mfc42.dll")});
    ScriptMessageAnswers({IDNO});
    EXPECT_EQ(1, InstallAttempt());
    Sleep(1000);
    EXPECT_EQ("<missing>", ReadBytes(record.path));
}

// The levels an entry shares with the last folder entered are not entered again. Changed
// while the runtime question is up, they still let nothing out, and a Retry enters them
// again (a link to outside is removed where Windows can; Wine follows it and refuses).
TEST_F(InstallTest, FolderChangedBetweenTwoOfItsEntriesLetsNothingOutAndRetryEntersItAgain)
{
    std::string outside = root + "\\outside", sub = folder + "\\sub";
    CreateDirectoryA(outside.c_str(), 0);
    const struct { const char *first, *second; bool link; } cases[] = {
        {"sub\\a.txt", "sub\\b.txt", false}, {"sub\\a.txt", "sub\\b.txt", true},
        {"sub\\x\\a.txt", "sub\\y\\b.txt", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.second) + (c.link ? " behind a link" : " moved"));
        std::unique_ptr<FileLink> link;
        UseEntries({FileEntry(c.first, "a"), RuntimePrerequisite("mfc42.dll"), FileEntry(c.second, "b")});
        ScriptBeforeEachAnswer([&](const AskedMessage& asked) {
            if (asked.text != RuntimeQuestion() || !MoveFileA(sub.c_str(), (root + "\\moved" + std::to_string(&c - cases)).c_str()))
                return;
            if (c.link)
                link.reset(new FileLink(FileLink::kLinuxSymlink, outside, sub));
        });
        ScriptMessageAnswers({IDNO, IDRETRY, IDABORT});
        int installed = InstallAttempt();
        EXPECT_FALSE(PathExists(outside + "\\b.txt") || PathExists(outside + "\\y"));
        ASSERT_LE(2u, AskedMessages().size());
        EXPECT_EQ(Question(folder + "\\" + c.second, "all running applications are closed"), AskedMessages()[1].text);
        if (!c.link || installed)
            ExpectInstalled(folder + "\\" + c.second, "b");
        else
            EXPECT_EQ(29u, exitCode);
        link.reset();
        exitCode = 0;
        ResetScriptedDialogs();
        g_setup.runtimePromptState = 0;
    }
}
