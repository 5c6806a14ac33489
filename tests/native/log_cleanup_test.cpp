#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "records/log_cleanup.h"

struct TextSource {
    std::string text;
    size_t position = 0;
};

static int NextByte(void* source)
{
    TextSource* s = static_cast<TextSource*>(source);
    return s->position < s->text.size() ? (unsigned char)s->text[s->position++] : -1;
}

struct Sorted {
    std::vector<std::string> deleted;
    std::vector<std::string> left;  // file lines left alone, each with its reason
    std::string kept;
};

static void RecordDeletion(const char* path, void* context)
{
    static_cast<Sorted*>(context)->deleted.push_back(path);
}

static void RecordLeft(const char* path, const char* reason, void* context)
{
    static_cast<Sorted*>(context)->left.push_back(std::string(path) + ": " + reason);
}

static Sorted Sort(const std::string& log, const char* installFolder = "C:\\Apps\\Arbolix Beta",
                   const char* systemFolder = "C:\\windows\\system32")
{
    Sorted result;
    TextSource source{log};
    std::vector<char> kept(log.size() + 100, 'x');
    kept[0] = 0;
    PreviousLogCleanup cleanup = {installFolder, systemFolder, kept.data(), kept.size(), 0,
                                  RecordDeletion, &result,      RecordLeft};
    DeleteLoggedFilesKeepFolderLines(NextByte, &source, &cleanup);
    result.kept = kept.data();
    EXPECT_EQ(result.kept.size(), cleanup.keptLength);
    return result;
}

static std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    TextSource source{text};
    char line[kLogLineCapacity];
    int read;
    while ((read = ReadLogLine(NextByte, &source, line)) != kLogEnded)
        lines.push_back(read == kLogLineRead ? std::string(line) : "<skipped>");
    return lines;
}

TEST(ReadLogLine, TakesEachLineWithItsLineEnd)
{
    EXPECT_EQ((std::vector<std::string>{"fa\n", "\n", "db"}), Lines("fa\n\ndb"));
    EXPECT_TRUE(Lines("").empty());
}

TEST(ReadLogLine, LinesBeyondTheReaderAreSkippedWhole)
{
    std::string longest(322, 'x');  // 322 characters and the "\n" fill the reader
    std::string tooLong(323, 'y');
    EXPECT_EQ((std::vector<std::string>{longest + "\n", "<skipped>", "fz\n"}),
              Lines(longest + "\n" + tooLong + "\nfz\n"));
    EXPECT_EQ((std::vector<std::string>{"<skipped>"}), Lines(std::string(400, 'y')));
}

TEST(ReadLogLine, LineHoldingANulIsSkipped)
{
    EXPECT_EQ((std::vector<std::string>{"<skipped>", "fb\n"}), Lines(std::string("fa\0x\nfb\n", 8)));
}

TEST(DeleteLoggedFilesKeepFolderLines, DeletesListedFilesAndKeepsFolderLinesInOrder)
{
    Sorted sorted = Sort(
        "dC:\\Apps\\Arbolix Beta\n"
        "fC:\\Apps\\Arbolix Beta\\Arbolix.exe\n"
        "dC:\\Apps\\Arbolix Beta\\SampleFiles\n"
        "fC:\\Apps\\Arbolix Beta\\SampleFiles\\a.abx\n"
        "fC:\\windows\\system32\\mfc42.dll\n"
        "dC:\\windows\\system32\n"
        "dC:\\Windows\\System32\\Arbolix\n");
    // Nothing of the system directory: a shared file there may be another program's now.
    EXPECT_EQ((std::vector<std::string>{"C:\\Apps\\Arbolix Beta\\Arbolix.exe",
                                        "C:\\Apps\\Arbolix Beta\\SampleFiles\\a.abx"}),
              sorted.deleted);
    EXPECT_EQ("dC:\\Apps\\Arbolix Beta\ndC:\\Apps\\Arbolix Beta\\SampleFiles\n", sorted.kept);
}

TEST(DeleteLoggedFilesKeepFolderLines, ShortcutsInAnyCaseAreLeftAlone)
{
    Sorted sorted = Sort(
        "fC:\\Apps\\Arbolix Beta\\Arbolix Beta.lnk\n"
        "fC:\\Apps\\Arbolix Beta\\Tool.Lnk\n"
        "fC:\\Apps\\Arbolix Beta\\TOOL.LNK\n"
        "fC:\\Apps\\Arbolix Beta\\x.lnk\\data\n"
        "fC:\\Apps\\Arbolix Beta\\x.lnkx\n");
    EXPECT_EQ((std::vector<std::string>{"C:\\Apps\\Arbolix Beta\\x.lnk\\data",
                                        "C:\\Apps\\Arbolix Beta\\x.lnkx"}),
              sorted.deleted);
    EXPECT_EQ("C:\\Apps\\Arbolix Beta\\Tool.Lnk: a shortcut", sorted.left.at(1));
    EXPECT_EQ("", sorted.kept);
}

TEST(DeleteLoggedFilesKeepFolderLines, FilesOutsideTheInstallFolderAreNeverDeleted)
{
    Sorted sorted = Sort(
        "fC:\\Users\\me\\Documents\\thesis.doc\n"
        "fC:\\Apps\\Arbolix Beta Old\\a.txt\n"
        "fC:\\Apps\\Arbolix Beta\\..\\..\\boot.ini\n"
        "fC:\\Apps\\Arbolix Beta\\sub/../../../boot.ini\n"
        "fC:\\windows\\system32\\..\\win.ini\n"
        "fc:\\apps\\ARBOLIX BETA\\Readme.txt\n"
        "fC:\\WINDOWS\\System32\\x.dll\n"
        "fD:\\Apps\\Arbolix Beta\\a.txt\n"
        "fArbolix.exe\n");
    EXPECT_EQ((std::vector<std::string>{"c:\\apps\\ARBOLIX BETA\\Readme.txt"}), sorted.deleted);
    EXPECT_EQ("C:\\Users\\me\\Documents\\thesis.doc: outside the install folder", sorted.left.at(0));
}

TEST(DeleteLoggedFilesKeepFolderLines, SystemDirectoryIsNeverCleanedEvenInsideTheInstallFolder)
{
    for (const char* installFolder : {"C:\\Windows", "C:\\", "c:\\WINDOWS\\"}) {
        Sorted sorted = Sort(
            "fC:\\windows\\system32\\mfc42.dll\n"
            "fC:\\Windows\\System32\\drivers\\etc\\hosts\n"
            "fC:\\Windows\\Arbolix.exe\n",
            installFolder);
        EXPECT_EQ((std::vector<std::string>{"C:\\Windows\\Arbolix.exe"}), sorted.deleted) << installFolder;
        EXPECT_EQ((std::vector<std::string>{"C:\\windows\\system32\\mfc42.dll: in the system directory",
                                            "C:\\Windows\\System32\\drivers\\etc\\hosts: in the system directory"}),
                  sorted.left);
    }
}

TEST(DeleteLoggedFilesKeepFolderLines, TheUninstallerIsLeftForThePayloadToReplace)
{
    Sorted sorted = Sort(
        "fc:\\apps\\ARBOLIX BETA\\uninstall.EXE\n"
        "fC:\\Apps\\Arbolix Beta\\SampleFiles\\Uninstall.exe\n");
    EXPECT_EQ((std::vector<std::string>{"C:\\Apps\\Arbolix Beta\\SampleFiles\\Uninstall.exe"}), sorted.deleted);
    EXPECT_EQ((std::vector<std::string>{"c:\\apps\\ARBOLIX BETA\\uninstall.EXE: the uninstaller"}), sorted.left);
}

TEST(DeleteLoggedFilesKeepFolderLines, OddLinesAreSkippedAndNotCarriedOver)
{
    std::string overlong = "dC:\\Apps\\Arbolix Beta\\" + std::string(320, 'a') + "\n";
    Sorted sorted = Sort("f\n\nx junk\nF" "C:\\Apps\\Arbolix Beta\\a.txt\n" + overlong +
                         "fC:\\Apps\\Arbolix Beta\\" + std::string(310, 'b') + "\n");
    EXPECT_TRUE(sorted.deleted.empty());
    EXPECT_EQ("", sorted.kept);
}

TEST(DeleteLoggedFilesKeepFolderLines, OverlongLineDoesNotLeakItsTailAsALine)
{
    // Split by a 323-character reader, the tail would read as a file line of its own.
    std::string crafted = "x" + std::string(322, 'a') + "fC:\\Apps\\Arbolix Beta\\keep.txt\n";
    Sorted sorted = Sort(crafted);
    EXPECT_TRUE(sorted.deleted.empty());
}

TEST(DeleteLoggedFilesKeepFolderLines, FileLineWithoutLineEndIsStillTaken)
{
    Sorted sorted = Sort("dC:\\Apps\\Arbolix Beta\\Sub\nfC:\\Apps\\Arbolix Beta\\a.txt");
    EXPECT_EQ((std::vector<std::string>{"C:\\Apps\\Arbolix Beta\\a.txt"}), sorted.deleted);
}

TEST(DeleteLoggedFilesKeepFolderLines, LastFolderLineGetsItsLineEnd)
{
    EXPECT_EQ("dC:\\A\ndC:\\B\n", Sort("dC:\\A\ndC:\\B").kept);
    EXPECT_EQ("d\n", Sort("d\n").kept);
}

TEST(DeleteLoggedFilesKeepFolderLines, LinesEndedByCrLfAsOnDisk)
{
    Sorted sorted = Sort("dC:\\A\r\nfC:\\Apps\\Arbolix Beta\\a.txt\r\n");
    EXPECT_EQ((std::vector<std::string>{"C:\\Apps\\Arbolix Beta\\a.txt"}), sorted.deleted);
    EXPECT_EQ("dC:\\A\n", sorted.kept);
}
