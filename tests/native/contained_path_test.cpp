#include <gtest/gtest.h>

#include <string>

#include "uninstall/contained_path.h"

TEST(IsPathInside, WholeComponentsWithoutRegardToCase)
{
    EXPECT_TRUE(IsPathInside("C:\\Apps\\Arbolix\\Arbolix.exe", "C:\\Apps\\Arbolix"));
    EXPECT_TRUE(IsPathInside("c:\\APPS\\arbolix\\Sub\\x.abx", "C:\\Apps\\Arbolix"));
    EXPECT_TRUE(IsPathInside("C:\\Apps\\Arbolix\\x", "C:\\Apps\\Arbolix\\"));
    EXPECT_FALSE(IsPathInside("C:\\Apps\\Arbolix2\\x", "C:\\Apps\\Arbolix"));
    EXPECT_FALSE(IsPathInside("C:\\Apps\\Arbolix2", "C:\\Apps\\Arbolix"));
    EXPECT_FALSE(IsPathInside("C:\\Apps\\Arb", "C:\\Apps\\Arbolix"));
    EXPECT_FALSE(IsPathInside("D:\\Apps\\Arbolix\\x", "C:\\Apps\\Arbolix"));
    EXPECT_FALSE(IsPathInside("C:\\Apps\\x", "C:\\Apps\\Arbolix"));
}

TEST(IsPathInside, TheFolderIsNotInsideItself)
{
    EXPECT_FALSE(IsPathInside("C:\\Apps\\Arbolix", "C:\\Apps\\Arbolix"));
    EXPECT_FALSE(IsPathInside("C:\\Apps\\Arbolix\\", "C:\\Apps\\Arbolix"));
    EXPECT_FALSE(IsPathInside("c:\\apps\\arbolix", "C:\\Apps\\Arbolix\\"));
}

TEST(IsPathInside, DriveRootAndUncFolders)
{
    EXPECT_TRUE(IsPathInside("C:\\x", "C:\\"));
    EXPECT_FALSE(IsPathInside("C:\\", "C:\\"));
    EXPECT_TRUE(IsPathInside("\\\\server\\share\\Arbolix\\x", "\\\\server\\share\\Arbolix"));
    EXPECT_TRUE(IsPathInside("\\\\SERVER\\Share\\x", "\\\\server\\share"));
    EXPECT_FALSE(IsPathInside("\\\\server\\shared\\x", "\\\\server\\share"));
    EXPECT_FALSE(IsPathInside("\\\\server\\share\\x", "C:\\"));
}

TEST(IsPathInside, TextThatWindowsWouldResolveElsewhereIsInsideNothing)
{
    const char* folder = "C:\\Apps\\Arbolix";
    for (const char* path : {
             "C:\\Apps\\Arbolix\\..\\Other\\x",
             "C:\\Apps\\Arbolix\\..",
             "C:\\Apps\\Arbolix\\.\\x",
             "C:\\Apps\\Arbolix\\...\\x",
             "C:\\Apps\\Arbolix\\ . \\x",
             "C:\\Apps\\Arbolix\\sub\\..\\..\\x",
             "C:\\Apps\\Arbolix/../x",
             "C:\\Apps\\Arbolix\\x/y",
             "C:\\Apps\\Arbolix\\\\x",
             "C:\\Apps\\Arbolix\\x:stream",
             "C:\\Apps\\Arbolix\\*",
             "C:\\Apps\\Arbolix\\x?",
             "C:\\Apps\\Arbolix\\x\"",
             "C:\\Apps\\Arbolix\\x<",
             "C:\\Apps\\Arbolix\\x|y",
             "C:\\Apps\\Arbolix\\x\ty",
             "C:Apps\\Arbolix\\x",
             "Apps\\Arbolix\\x",
             "\\Apps\\Arbolix\\x",
             "",
         })
        EXPECT_FALSE(IsPathInside(path, folder)) << path;
    EXPECT_FALSE(IsPathInside("\\\\?\\C:\\Apps\\Arbolix\\x", "\\\\?\\C:\\Apps\\Arbolix"));
    EXPECT_FALSE(IsPathInside("\\\\.\\C:\\Apps\\Arbolix\\x", "\\\\.\\C:\\Apps\\Arbolix"));
    EXPECT_FALSE(IsPathInside("\\\\server\\x", "\\\\server"));
    EXPECT_FALSE(IsPathInside("C:\\Apps\\Arbolix\\x", "C:\\Apps\\..\\Apps\\Arbolix"));
    // Dots inside names are ordinary.
    EXPECT_TRUE(IsPathInside("C:\\Apps\\Arbolix\\x.lnk\\..data", folder));
    EXPECT_TRUE(IsPathInside("C:\\Apps\\Arbolix\\.hidden", folder));
}

TEST(IsPathInside, PathsOfMaximumLengthOnly)
{
    std::string folder = "C:\\Apps";
    std::string longest = folder + "\\" + std::string(259 - folder.size() - 1, 'x');
    ASSERT_EQ(259u, longest.size());
    EXPECT_TRUE(IsPathInside(longest.c_str(), folder.c_str()));
    EXPECT_FALSE(IsPathInside((longest + "y").c_str(), folder.c_str()));
}

TEST(IsSamePath, IgnoresCaseAndOneTrailingSeparator)
{
    EXPECT_TRUE(IsSamePath("C:\\Apps\\Arbolix", "c:\\apps\\ARBOLIX"));
    EXPECT_TRUE(IsSamePath("C:\\Apps\\Arbolix\\", "C:\\Apps\\Arbolix"));
    EXPECT_TRUE(IsSamePath("C:\\", "c:\\"));
    EXPECT_FALSE(IsSamePath("C:\\Apps\\Arbolix2", "C:\\Apps\\Arbolix"));
    EXPECT_FALSE(IsSamePath("C:\\Apps\\Arbolix\\x", "C:\\Apps\\Arbolix"));
    EXPECT_FALSE(IsSamePath("C:\\Apps\\..\\Apps", "C:\\Apps\\..\\Apps"));
}
