#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/log_format.h"
#include "uninstaller/folder_order.h"

static std::vector<std::string> Read(const std::string& bytes)
{
    std::vector<std::string> lines;
    LogText text = {bytes.data(), bytes.data() + bytes.size()};
    char line[kLogLineCapacity];
    char tag;
    const char* path;
    while (NextLogLine(&text, line, &tag, &path))
        lines.push_back(std::string(1, tag) + "|" + path);
    return lines;
}

using Lines = std::vector<std::string>;

TEST(NextLogLine, ReadsFileAndFolderLinesWithEitherLineEnd)
{
    EXPECT_EQ((Lines{"d|C:\\A", "f|C:\\A\\x.exe", "f|C:\\A\\y"}), Read("dC:\\A\r\nfC:\\A\\x.exe\r\nfC:\\A\\y\n"));
    EXPECT_EQ((Lines{"f|C:\\A\\last"}), Read("fC:\\A\\last"));
    EXPECT_EQ(Lines{}, Read(""));
}

TEST(NextLogLine, SkipsWhatIsNotAFileOrFolderLine)
{
    EXPECT_EQ((Lines{"f|C:\\keep"}),
              Read("f\r\nd\r\n\r\n\n#C:\\x\r\nF C:\\x\r\nD:\\x\r\n xC:\\x\r\nfC:\\keep\r\n"));
    // A CR alone does not end a line: it stays in the path, which no folder holds.
    EXPECT_EQ((Lines{"f|C:\\a\rfC:\\b"}), Read("fC:\\a\rfC:\\b\r\n"));
}

TEST(NextLogLine, SkipsLinesTooLongForAPathWhole)
{
    std::string path259 = "C:\\" + std::string(256, 'x');
    std::string path260 = path259 + "y";
    Lines lines = Read("f" + path260 + "\r\nf" + path259 + "\r\nd" + std::string(5000, 'z') + "\r\nfC:\\after\r\n");
    EXPECT_EQ((Lines{"f|" + path259, "f|C:\\after"}), lines);
}

TEST(NextLogLine, SkipsALineWithAZeroByteInside)
{
    static const char text[] = "fC:\\a\0\\..\\x\r\nfC:\\b\r\n";
    EXPECT_EQ((Lines{"f|C:\\b"}), Read(std::string(text, sizeof text - 1)));
}

TEST(SortDeepestFirst, DeeperFoldersFirstAndEqualDepthsKeepTheirOrder)
{
    const char* folders[] = {"C:\\A", "C:\\A\\S1", "C:\\A\\S2\\D\\E", "C:\\A\\S3\\", "C:\\B\\T", "C:\\A\\S2\\D"};
    SortDeepestFirst(folders, 6);
    std::vector<std::string> sorted(folders, folders + 6);
    EXPECT_EQ((std::vector<std::string>{"C:\\A\\S2\\D\\E", "C:\\A\\S2\\D", "C:\\A\\S1", "C:\\A\\S3\\", "C:\\B\\T",
                                        "C:\\A"}),
              sorted);
}
