#include <gtest/gtest.h>

#include <vector>

#include "common/command_line.h"

static CommandLineOptions Parse(std::vector<const char*> tokens)
{
    tokens.insert(tokens.begin(), "C:\\Downloads\\ArbolixSetup.exe");
    CommandLineOptions options;
    ParseCommandLine((int)tokens.size(), const_cast<char* const*>(tokens.data()), &options);
    return options;
}

TEST(CommandLine, NoArgumentsSetsNothing)
{
    CommandLineOptions options = Parse({});
    EXPECT_EQ(nullptr, options.folder);
    EXPECT_EQ(0, options.folderForced);
    EXPECT_EQ(0, options.unattended);
    EXPECT_EQ(0, options.silent);
    EXPECT_EQ(0, options.currentUserOnly);
    EXPECT_EQ(nullptr, options.logFile);
}

TEST(CommandLine, NamesIgnoreCaseAndEitherPrefix)
{
    for (const char* spelling : {"-USilent", "/usilent", "-USILENT", "/uSiLeNt"}) {
        CommandLineOptions options = Parse({spelling});
        EXPECT_EQ(1, options.unattended) << spelling;
        EXPECT_EQ(1, options.silent) << spelling;
    }
    EXPECT_EQ(1, Parse({"/cu"}).currentUserOnly);
    EXPECT_EQ(1, Parse({"-Cu"}).currentUserOnly);
}

TEST(CommandLine, UnattendedAloneIsNotSilent)
{
    CommandLineOptions options = Parse({"-U"});
    EXPECT_EQ(1, options.unattended);
    EXPECT_EQ(0, options.silent);
}

TEST(CommandLine, PathForcesTheFolderAndPathDefaultDoesNot)
{
    CommandLineOptions forced = Parse({"-Path", "D:\\Apps"});
    EXPECT_STREQ("D:\\Apps", forced.folder);
    EXPECT_EQ(1, forced.folderForced);

    CommandLineOptions proposed = Parse({"/PATHDEFAULT", "E:\\Other"});
    EXPECT_STREQ("E:\\Other", proposed.folder);
    EXPECT_EQ(0, proposed.folderForced);
}

TEST(CommandLine, LastFolderWinsAndForcingSticks)
{
    CommandLineOptions options = Parse({"-Path", "D:\\Apps", "-PathDefault", "E:\\Other"});
    EXPECT_STREQ("E:\\Other", options.folder);
    EXPECT_EQ(1, options.folderForced);
}

TEST(CommandLine, ValueIsTakenWhateverItLooksLike)
{
    CommandLineOptions options = Parse({"-Path", "-USilent", "/log", "-CU"});
    EXPECT_STREQ("-USilent", options.folder);
    EXPECT_EQ(0, options.silent);
    EXPECT_STREQ("-CU", options.logFile);
    EXPECT_EQ(0, options.currentUserOnly);
}

TEST(CommandLine, OptionWithoutValueIsIgnored)
{
    CommandLineOptions options = Parse({"-U", "-Path"});
    EXPECT_EQ(nullptr, options.folder);
    EXPECT_EQ(0, options.folderForced);
    EXPECT_EQ(1, options.unattended);
    EXPECT_EQ(nullptr, Parse({"-USilent", "-LOG"}).logFile);
    EXPECT_STREQ("b.log", Parse({"-Log", "a.log", "-Log", "b.log"}).logFile);
}

TEST(CommandLine, StrayTokensAndUnknownOptionsAreSkipped)
{
    // "Path" without a prefix is a stray token: the token after it is examined as usual.
    CommandLineOptions options = Parse({"Path", "-U", "-Paths", "X", "--U", "-", "/"});
    EXPECT_EQ(nullptr, options.folder);
    EXPECT_EQ(1, options.unattended);
    EXPECT_EQ(0, options.silent);
    EXPECT_EQ(0, options.currentUserOnly);
}

TEST(CommandLine, ProgramPathIsExaminedLikeAnyToken)
{
    const char* tokens[] = {"/U"};
    CommandLineOptions options;
    ParseCommandLine(1, const_cast<char* const*>(tokens), &options);
    EXPECT_EQ(1, options.unattended);
}
