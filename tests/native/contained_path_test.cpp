#include <gtest/gtest.h>

#include <string>

#include "common/contained_path.h"

TEST(IsContainedRelativePath, PlainNamesAndSubfolders)
{
    EXPECT_TRUE(IsContainedRelativePath("Arbolix.exe"));
    EXPECT_TRUE(IsContainedRelativePath("SampleFiles\\Smith family.abx"));
    EXPECT_TRUE(IsContainedRelativePath("a\\b\\c"));
    EXPECT_TRUE(IsContainedRelativePath("..name"));
    EXPECT_TRUE(IsContainedRelativePath("name.."));
    EXPECT_TRUE(IsContainedRelativePath(".profile"));
}

TEST(IsContainedRelativePath, NamesThatCouldLeaveTheFolder)
{
    EXPECT_FALSE(IsContainedRelativePath(""));
    EXPECT_FALSE(IsContainedRelativePath("\\Windows\\x.dll"));     // absolute
    EXPECT_FALSE(IsContainedRelativePath("C:\\Windows\\x.dll"));   // drive
    EXPECT_FALSE(IsContainedRelativePath("C:x.dll"));              // drive-relative
    EXPECT_FALSE(IsContainedRelativePath("\\\\server\\share\\x"));  // UNC
    EXPECT_FALSE(IsContainedRelativePath(".."));
    EXPECT_FALSE(IsContainedRelativePath("..\\x"));
    EXPECT_FALSE(IsContainedRelativePath("a\\..\\..\\x"));
    EXPECT_FALSE(IsContainedRelativePath("a\\.."));
    EXPECT_FALSE(IsContainedRelativePath("a\\.\\x"));
    EXPECT_FALSE(IsContainedRelativePath("a\\...\\x"));
    EXPECT_FALSE(IsContainedRelativePath("a\\.. \\x"));
    EXPECT_FALSE(IsContainedRelativePath("a/../../x"));            // Windows takes '/' too
    EXPECT_FALSE(IsContainedRelativePath("a\\\\x"));
    EXPECT_FALSE(IsContainedRelativePath("a\\"));
    EXPECT_FALSE(IsContainedRelativePath("file.txt:stream"));
}

TEST(IsInsideFolder, ComparesTheFolderWithoutRegardToCase)
{
    EXPECT_TRUE(IsInsideFolder("C:\\Program Files\\Arbolix Beta\\a.txt", "C:\\Program Files\\Arbolix Beta"));
    EXPECT_TRUE(IsInsideFolder("c:\\PROGRAM FILES\\arbolix beta\\Sub\\a.txt", "C:\\Program Files\\Arbolix Beta"));
    EXPECT_TRUE(IsInsideFolder("C:\\Apps\\a.txt", "C:\\Apps\\"));
    EXPECT_TRUE(IsInsideFolder("C:\\a.txt", "C:\\"));
    EXPECT_TRUE(IsInsideFolder("\\\\server\\share\\Apps\\a", "\\\\server\\share\\Apps"));
}

TEST(IsInsideFolder, AnythingElseIsOutside)
{
    EXPECT_FALSE(IsInsideFolder("C:\\Apps", "C:\\Apps"));
    EXPECT_FALSE(IsInsideFolder("C:\\Apps\\", "C:\\Apps"));
    EXPECT_FALSE(IsInsideFolder("C:\\Apps Beta\\a.txt", "C:\\Apps"));
    EXPECT_FALSE(IsInsideFolder("C:\\App", "C:\\Apps"));
    EXPECT_FALSE(IsInsideFolder("D:\\Apps\\a.txt", "C:\\Apps"));
    EXPECT_FALSE(IsInsideFolder("C:\\Apps\\..\\Windows\\win.ini", "C:\\Apps"));
    EXPECT_FALSE(IsInsideFolder("C:\\Apps\\sub/../../boot.ini", "C:\\Apps"));
    EXPECT_FALSE(IsInsideFolder("C:\\a.txt", ""));
    EXPECT_FALSE(IsInsideFolder("\\a.txt", "\\"));
    EXPECT_FALSE(IsInsideFolder("a.txt", ""));
}

TEST(FindTargetNameFault, EachFaultAndItsBoundaries)
{
    struct Case {
        const char* name;
        int fault;
    } cases[] = {
        {"Arbolix.exe", kTargetNameFine},
        {"SampleFiles\\Family Tree.jpg", kTargetNameFine},
        {"caf\xE9\\na\xEFve.txt", kTargetNameFine},
        {"CONSOLE.txt", kTargetNameFine},
        {"COM10", kTargetNameFine},
        {"COM0", kTargetNameFine},
        {"LPT", kTargetNameFine},
        {"x.CON", kTargetNameFine},
        {"name.", kTargetNameFine},
        {"", kTargetNameEmpty},
        {"a/b", kTargetNameSlash},
        {"C:\\x", kTargetNameColon},
        {"x.txt:stream", kTargetNameColon},
        {"...\\x.txt", kTargetNameNotContained},
        {"sub\\ \\y.txt", kTargetNameNotContained},
        {"a\\\\b", kTargetNameNotContained},
        {"a<b", kTargetNameForbiddenByte},
        {"a>b", kTargetNameForbiddenByte},
        {"a\"b", kTargetNameForbiddenByte},
        {"a|b", kTargetNameForbiddenByte},
        {"a?b", kTargetNameForbiddenByte},
        {"a*b", kTargetNameForbiddenByte},
        {"a\tb", kTargetNameForbiddenByte},
        {"a\x1F" "b", kTargetNameForbiddenByte},
        {"CON", kTargetNameDevice},
        {"nul.txt", kTargetNameDevice},
        {"Aux .tar.gz", kTargetNameDevice},
        {"sub\\Com1\\x.txt", kTargetNameDevice},
        {"lpt9", kTargetNameDevice},
        {"COM\xB9.log", kTargetNameDevice},
        {"PRN.", kTargetNameDevice},
        {"conout$", kTargetNameDevice},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.fault, FindTargetNameFault(c.name)) << c.name;
    EXPECT_EQ(kTargetNameFine, FindTargetNameFault(std::string(259, 'n').c_str()));
    EXPECT_EQ(kTargetNameTooLong, FindTargetNameFault(std::string(260, 'n').c_str()));
}
