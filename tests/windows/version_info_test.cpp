#include <gtest/gtest.h>

#include <string>

#include "install_fixture.h"
#include "payload/version_info.h"
#include "tests/support/file_facts.h"
#include "tests/support/temp_folder.h"

static const FileVersion kMinimum = {0x00020003, 0x00040005};  // 2.3.4.5

TEST(ReadFileVersion, GivesTheFixedRecordsFileVersion)
{
    FileVersion version = ReadFileVersion(Probe("probe_2_3_4_5").c_str());
    EXPECT_EQ(0x00020003u, version.ms);
    EXPECT_EQ(0x00040005u, version.ls);
    version = ReadFileVersion(Probe("probe_40000_0_0_0").c_str());
    EXPECT_EQ(0x9C400000u, version.ms);
    EXPECT_EQ(0u, version.ls);
}

TEST(ReadFileVersion, MissingOrUnversionedFileIsZero)
{
    std::string folder = MakeTempFolder("version");
    WriteBytes(folder + "\\plain.txt", "no version here");
    for (std::string path : {folder + "\\missing.dll", folder + "\\plain.txt", Probe("command_probe")}) {
        FileVersion version = ReadFileVersion(path.c_str());
        EXPECT_EQ(0u, version.ms) << path;
        EXPECT_EQ(0u, version.ls) << path;
    }
    RemoveTree(folder);
}

TEST(IsOlderThan, ComparesBothWordsUnsigned)
{
    EXPECT_TRUE(IsOlderThan(Probe("probe_2_3_4_4").c_str(), kMinimum));
    EXPECT_FALSE(IsOlderThan(Probe("probe_2_3_4_5").c_str(), kMinimum));
    EXPECT_FALSE(IsOlderThan(Probe("probe_2_3_5_0").c_str(), kMinimum));
    EXPECT_FALSE(IsOlderThan(Probe("probe_2_3_65535_0").c_str(), kMinimum));
    EXPECT_FALSE(IsOlderThan(Probe("probe_40000_0_0_0").c_str(), kMinimum));
    EXPECT_TRUE(IsOlderThan(Probe("probe_2_3_4_5").c_str(), FileVersion{0x00020003, 0xFFFF0000}));
    EXPECT_TRUE(IsOlderThan(Probe("probe_2_3_4_5").c_str(), FileVersion{0x80000000, 0}));
}

TEST(IsOlderThan, MissingFileIsOlderThanAnyMinimumButZero)
{
    EXPECT_TRUE(IsOlderThan("C:\\no\\such\\file.dll", FileVersion{0, 1}));
    EXPECT_FALSE(IsOlderThan("C:\\no\\such\\file.dll", FileVersion{0, 0}));
}
