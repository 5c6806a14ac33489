// Runs with drive R: on a 256 KB tmpfs that the full_disk fixture mounts.
#include <gtest/gtest.h>

#include <string>

#include "install_fixture.h"
#include "platform/win32.h"
#include "scripted_dialogs.h"
#include "tests/support/file_facts.h"
#include "tests/support/temp_folder.h"

class FullDiskTest : public InstallTest {
protected:
    void SetUp() override
    {
        InstallTest::SetUp();
        folder = "R:\\Arbolix Beta";
        lstrcpyA(g_setup.installFolder, folder.c_str());
        RemoveTree(folder);
    }
    void TearDown() override
    {
        InstallTest::TearDown();
        RemoveTree("R:\\Arbolix Beta");
    }
    void UseDiskFillingPayload()
    {
        UseEntries({FileEntry("small.txt", "fits"), FileEntry("big.bin", PatternedData(400000, 7)),
                    FileEntry("after.txt", "never")});
    }
};

TEST_F(FullDiskTest, DriveIsSmall)
{
    ULARGE_INTEGER available, total, free;
    ASSERT_TRUE(GetDiskFreeSpaceExA("R:\\", &available, &total, &free));
    EXPECT_LE(total.QuadPart, 256u * 1024);
}

TEST_F(FullDiskTest, ShortWriteGives29AndAsksForFreeDiskSpace)
{
    UseDiskFillingPayload();
    ScriptMessageAnswers({IDABORT});
    EXPECT_EQ(0, InstallAttempt());
    EXPECT_EQ(29u, exitCode);
    ASSERT_EQ(1u, AskedMessages().size());
    EXPECT_EQ(Question(folder + "\\big.bin", "there is enough free disk space"), AskedMessages()[0].text);
    EXPECT_EQ((UINT)290, AskedMessages()[0].type);
    EXPECT_EQ("d" + folder + "\r\nf" + folder + "\\small.txt\r\nf" + folder + "\\big.bin\r\n", Log());
    EXPECT_FALSE(PathExists(folder + "\\after.txt"));
}

TEST_F(FullDiskTest, RetryWritesASecondFileLine)
{
    UseDiskFillingPayload();
    ScriptMessageAnswers({IDRETRY, IDABORT});
    EXPECT_EQ(0, InstallAttempt());
    EXPECT_EQ(29u, exitCode);
    ASSERT_EQ(2u, AskedMessages().size());
    EXPECT_EQ(AskedMessages()[0].text, AskedMessages()[1].text);
    std::string bigLine = "f" + folder + "\\big.bin\r\n";
    EXPECT_EQ("d" + folder + "\r\nf" + folder + "\\small.txt\r\n" + bigLine + bigLine, Log());
}

TEST_F(FullDiskTest, SilentModeStopsWith29)
{
    UseDiskFillingPayload();
    g_setup.silent = 1;
    EXPECT_EQ(0, InstallAttempt());
    EXPECT_EQ(29u, exitCode);
    EXPECT_TRUE(AskedMessages().empty());
    EXPECT_FALSE(PathExists(folder + "\\after.txt"));
}
