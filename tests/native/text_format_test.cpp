#include <gtest/gtest.h>

#include <string>

#include "common/text_format.h"

TEST(FormatText, FormatsLikePrintf)
{
    char text[64];
    EXPECT_EQ(17u, FormatText(text, sizeof text, "Folder %s (%d)", "C:\\x", 123));
    EXPECT_STREQ("Folder C:\\x (123)", text);
}

TEST(FormatText, CutsAtTheCapacityWithoutOverrun)
{
    char text[2048 + 8];
    memset(text, 'Z', sizeof text);
    std::string longPath(3000, 'p');
    EXPECT_EQ(2047u, FormatText(text, 2048, "Unable to install file %s.", longPath.c_str()));
    EXPECT_EQ(2047u, strlen(text));
    EXPECT_EQ(0, memcmp(text, "Unable to install file ppp", 26));
    EXPECT_EQ('Z', text[2048]);  // nothing past the buffer was touched
}

TEST(FormatText, ExactFitIsKeptWhole)
{
    char text[6];
    EXPECT_EQ(5u, FormatText(text, sizeof text, "%s", "abcde"));
    EXPECT_STREQ("abcde", text);
    EXPECT_EQ(5u, FormatText(text, sizeof text, "%s", "abcdef"));
    EXPECT_STREQ("abcde", text);
}
