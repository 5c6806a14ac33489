#include <gtest/gtest.h>

#include <string>

#include "common/path_text.h"

static std::string Join(const char* folder, const char* name)
{
    char dest[kPathCapacity];
    EXPECT_EQ(1, JoinPath(dest, folder, name));
    return dest;
}

TEST(JoinPath, PutsOneSeparatorBetween)
{
    EXPECT_EQ("C:\\Apps\\a.txt", Join("C:\\Apps", "a.txt"));
    EXPECT_EQ("C:\\a.txt", Join("C:\\", "a.txt"));
    EXPECT_EQ("C:\\Apps\\a.txt", Join("C:\\Apps\\", "\\a.txt"));
    EXPECT_EQ("C:\\Apps\\sub\\a.txt", Join("C:\\Apps", "sub\\a.txt"));
}

TEST(JoinPath, DropsOnlyOneLeadingSeparator)
{
    EXPECT_EQ("C:\\Apps\\\\x", Join("C:\\Apps", "\\\\x"));
}

TEST(JoinPath, EmptyFolderGivesTheNameUnchanged)
{
    EXPECT_EQ("\\x", Join("", "\\x"));
    EXPECT_EQ("x", Join("", "x"));
}

TEST(JoinPath, RefusesWhatDoesNotFitAndLeavesAnEmptyText)
{
    std::string folder(250, 'f');
    char dest[kPathCapacity];
    EXPECT_EQ(1, JoinPath(dest, folder.c_str(), "12345678"));  // 259 characters
    EXPECT_EQ(259u, strlen(dest));
    EXPECT_EQ(0, JoinPath(dest, folder.c_str(), "123456789"));  // 260
    EXPECT_STREQ("", dest);
    std::string name(260, 'n');
    EXPECT_EQ(0, JoinPath(dest, "", name.c_str()));
}

TEST(AppendToPath, FollowsTheJoinRules)
{
    char buffer[kPathCapacity] = "C:\\Start Menu\\Programs";
    EXPECT_EQ(1, AppendToPath(buffer, "Arbolix Beta.lnk"));
    EXPECT_STREQ("C:\\Start Menu\\Programs\\Arbolix Beta.lnk", buffer);

    char root[kPathCapacity] = "C:\\";
    EXPECT_EQ(1, AppendToPath(root, "\\x"));
    EXPECT_STREQ("C:\\x", root);

    char empty[kPathCapacity] = "";
    EXPECT_EQ(1, AppendToPath(empty, "\\x"));
    EXPECT_STREQ("\\x", empty);
}

TEST(AppendToPath, LeavesTheBufferAloneWhenTooLong)
{
    char buffer[kPathCapacity];
    std::string folder(255, 'f');
    strcpy(buffer, folder.c_str());
    EXPECT_EQ(0, AppendToPath(buffer, "abcd"));  // 255 + 1 + 4 = 260
    EXPECT_EQ(folder, buffer);
    EXPECT_EQ(1, AppendToPath(buffer, "abc"));
    EXPECT_EQ(259u, strlen(buffer));
}

static std::string Parent(const char* path)
{
    char dest[kPathCapacity];
    ParentFolder(path, dest);
    return dest;
}

TEST(ParentFolder, CutsAtTheLastSeparator)
{
    EXPECT_EQ("C:\\Apps\\Tool", Parent("C:\\Apps\\Tool\\file.exe"));
    EXPECT_EQ("C:\\dir", Parent("C:\\dir\\x"));
}

TEST(ParentFolder, DriveRootKeepsItsSeparator)
{
    EXPECT_EQ("C:\\", Parent("C:\\x"));
    EXPECT_EQ("C:\\", Parent("C:\\Arbolix.exe"));
}

TEST(ParentFolder, BareNameIsItsOwnParent)
{
    EXPECT_EQ("x", Parent("x"));
    EXPECT_EQ("", Parent(""));
}

TEST(ParentFolder, OverlongPathIsCutToTheBuffer)
{
    std::string path = "C:\\" + std::string(300, 'a') + "\\b";
    // Only the first 259 characters are looked at: their last separator is the root's.
    EXPECT_EQ("C:\\", Parent(path.c_str()));
}

TEST(PathExtension, TakesTheLastDotOfTheLastComponent)
{
    EXPECT_STREQ("lnk", PathExtension("C:\\x\\link.lnk"));
    EXPECT_STREQ("gz", PathExtension("C:\\x\\a.tar.gz"));
    EXPECT_STREQ("", PathExtension("C:\\x\\trailing."));
    EXPECT_EQ(nullptr, PathExtension("C:\\dir.old\\readme"));
    EXPECT_EQ(nullptr, PathExtension("C:\\a.b\\file"));
    EXPECT_EQ(nullptr, PathExtension("C:\\Apps\\x.lnk\\data"));
}

TEST(CopyText, CopiesWhatFitsAndEmptiesOtherwise)
{
    char dest[4];
    EXPECT_EQ(1, CopyText(dest, sizeof dest, "abc"));
    EXPECT_STREQ("abc", dest);
    EXPECT_EQ(0, CopyText(dest, sizeof dest, "abcd"));
    EXPECT_STREQ("", dest);
}

TEST(IsSamePath, IgnoresCaseAndTrailingSeparators)
{
    EXPECT_TRUE(IsSamePath("C:\\Apps\\Arbolix", "c:\\apps\\ARBOLIX"));
    EXPECT_TRUE(IsSamePath("C:\\Apps\\Arbolix\\", "C:\\Apps\\Arbolix"));
    EXPECT_TRUE(IsSamePath("C:\\", "c:"));
    EXPECT_FALSE(IsSamePath("C:\\Apps\\Arbolix2", "C:\\Apps\\Arbolix"));
    EXPECT_FALSE(IsSamePath("C:\\Apps\\Arbolix\\x", "C:\\Apps\\Arbolix"));
    EXPECT_FALSE(IsSamePath("C:\\Apps\\Arbolix", "C:\\Apps\\Arbolix\\x"));
    EXPECT_FALSE(IsSamePath("", ""));
    EXPECT_FALSE(IsSamePath("\\", ""));
}
