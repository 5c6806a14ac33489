// Runs with drive R: on a 2 MB tmpfs that the full_disk fixture mounts, filled up but
// for about 300 KB: a payload of more fills it, and deleting the filler frees room.
#include <gtest/gtest.h>

#include <string>

#include "install_fixture.h"
#include "payload/inflate_ahead.h"
#include "platform/win32.h"
#include "scripted_dialogs.h"
#include "tests/support/file_facts.h"
#include "tests/support/temp_folder.h"

static const char kFiller[] = "R:\\filler.bin";
enum : ULONGLONG { kLeftFree = 300 * 1024 };

class FullDiskTest : public InstallTest {
protected:
    void SetUp() override
    {
        InstallTest::SetUp();
        folder = "R:\\Arbolix Beta";
        lstrcpyA(g_setup.installFolder, folder.c_str());
        RemoveTree(folder);
        DeleteFileA(kFiller);
        ULARGE_INTEGER available, total, free;
        ASSERT_TRUE(GetDiskFreeSpaceExA("R:\\", &available, &total, &free));
        ASSERT_GT(available.QuadPart, kLeftFree);
        WriteBytes(kFiller, std::string((size_t)(available.QuadPart - kLeftFree), 'x'));
    }
    void TearDown() override
    {
        InstallTest::TearDown();
        RemoveTree("R:\\Arbolix Beta");
        DeleteFileA(kFiller);
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
    EXPECT_LE(total.QuadPart, 2u << 20);
    EXPECT_LE(available.QuadPart, kLeftFree);
}

// The disk fills after the first chunk of an entry was written, while the thread has
// inflated the rest of it and the next entry ahead: the question comes before
// anything of the next is written, and Retry inflates the entry again from its start.
TEST_F(FullDiskTest, QuestionOnAnEntryComesBeforeTheNextIsWritten)
{
    std::string first = PatternedData(3 * kChunkSize, 3), next = PatternedData(2 * kChunkSize, 4);
    UseEntries({FileEntry("first.bin", first), FileEntry("next.bin", next)});
    bool nextWrittenBeforeTheAnswer = true;
    size_t firstWrittenBeforeTheAnswer = 0;
    ScriptBeforeEachAnswer([&](const AskedMessage&) {
        nextWrittenBeforeTheAnswer = PathExists(folder + "\\next.bin");
        firstWrittenBeforeTheAnswer = ReadWholeFile(folder + "\\first.bin").size();
        DeleteFileA(kFiller);
    });
    ScriptMessageAnswers({IDRETRY});
    EXPECT_EQ(1, InstallAttempt());
    ASSERT_EQ(1u, AskedMessages().size());
    EXPECT_EQ(Question(folder + "\\first.bin", "there is enough free disk space"), AskedMessages()[0].text);
    EXPECT_FALSE(nextWrittenBeforeTheAnswer);
    EXPECT_GE(firstWrittenBeforeTheAnswer, (size_t)kChunkSize);
    ExpectInstalled(folder + "\\first.bin", first);
    ExpectInstalled(folder + "\\next.bin", next);
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
