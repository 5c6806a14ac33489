#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

#include "common/deployment_log_format.h"
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

TEST(DeploymentLine, TimeToTheMillisecondThenTheTextOnOneLine)
{
    LogTime time = {2026, 12, 9, 7, 5, 3, 42};
    char line[kDeploymentLineCapacity];
    EXPECT_EQ(41u, FormatDeploymentLine(line, sizeof line, time, "Installed a.txt"));
    EXPECT_STREQ("2026-12-09 07:05:03.042 Installed a.txt\r\n", line);
    // A message box's lines stay on the event's line; no control byte of a text a user
    // wrote (a planted log's line) reaches the file, and the escape's '<' is one no
    // path holds, so it is escaped too.
    struct {
        const char* text;
        const char* written;
    } cases[] = {
        {"Folder x does not exist.\n\nCreate it?\r\nok\r", "Folder x does not exist.<0A><0A>Create it?<0A>ok<0D>"},
        {"C:\\new\\t\x1b[31mred\x07\x7f\x01\x1f ~", "C:\\new\\t<1B>[31mred<07><7F><01><1F> ~"},
        {"a<0A>b\xe9", "a<3C>0A>b\xe9"},
    };
    for (const auto& each : cases) {
        FormatDeploymentLine(line, sizeof line, time, each.text);
        EXPECT_EQ(std::string("2026-12-09 07:05:03.042 ") + each.written + "\r\n", line);
    }
}

TEST(DeploymentLine, LongTextIsCutAndTheLineEndKept)
{
    LogTime time = {2026, 1, 2, 3, 4, 5, 6};
    for (size_t capacity : {size_t(30), size_t(31), size_t(64)}) {
        std::vector<char> line(capacity + 1, '#');
        size_t length = FormatDeploymentLine(line.data(), capacity, time, std::string(100, '\n').c_str());
        EXPECT_LE(length + 1, capacity);
        EXPECT_EQ(length, strlen(line.data()));
        EXPECT_EQ("\r\n", std::string(line.data() + length - 2));
        EXPECT_EQ('#', line[capacity]);
    }
}

TEST(DeploymentLine, ErrorWithWindowsTextWithoutItsLineEnd)
{
    char text[128];
    FormatErrorText(text, sizeof text, 32, "The process cannot access the file.\r\n");
    EXPECT_STREQ("error 32: The process cannot access the file.", text);
    FormatErrorText(text, sizeof text, 1622, "");
    EXPECT_STREQ("error 1622", text);
    FormatErrorText(text, sizeof text, 5, 0);
    EXPECT_STREQ("error 5", text);
}
