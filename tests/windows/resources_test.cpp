#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>

#include <string>

#include "common/setup_state.h"
#include "payload/install_entry.h"
#include "payload/module_resources.h"
#include "resources/resource_ids.h"
#include "scripted_dialogs.h"

static std::string ReadFile(const char* path)
{
    std::string bytes;
    FILE* file = fopen(path, "rb");
    if (!file) return bytes;
    int c;
    while ((c = fgetc(file)) != EOF) bytes.push_back((char)c);
    fclose(file);
    return bytes;
}

static std::string LoadText(int id)
{
    size_t length = 0;
    char* text = LoadTextResource(id, &length);
    if (!text) return "<nothing>";
    std::string result(text, length);
    free(text);
    return result;
}

class ResourcesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved = g_setup;
        g_setup.module = GetModuleHandleA(0);
        ResetScriptedDialogs();
    }
    void TearDown() override { g_setup = saved; }
    SetupState saved;
};

TEST_F(ResourcesTest, LicenseOfTheRealSetupProgramLoadsAndUnpacks)
{
    HMODULE setup = LoadLibraryExA(SETUP_EXE, 0, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, setup) << SETUP_EXE;
    g_setup.module = setup;
    std::string license = LoadText(IDR_LICENSE_TEXT);
    FreeLibrary(setup);
    std::string source = ReadFile(LICENSE_SOURCE);
    ASSERT_FALSE(source.empty());
    EXPECT_EQ(source, license);
    EXPECT_NE(std::string::npos, license.find("Arbolix\xAE"));
}

TEST_F(ResourcesTest, MissingResourceGivesNothingAndAsksNothing)
{
    EXPECT_EQ("<nothing>", LoadText(999));
    const unsigned char* bytes;
    DWORD size;
    EXPECT_EQ(0, FindZResource(IDR_PAYLOAD_ARCHIVE, &bytes, &size));
    EXPECT_TRUE(AskedMessages().empty());
}

TEST_F(ResourcesTest, HeaderBeyondTheResourcesRealSizeGivesNothing)
{
    EXPECT_EQ("<nothing>", LoadText(201));
    EXPECT_TRUE(AskedMessages().empty());
}

TEST_F(ResourcesTest, StoredTextIsReadWithItsLength)
{
    EXPECT_EQ("Tree!", LoadText(202));
}

TEST_F(ResourcesTest, UnpackFailureShowsItsMessageEvenInSilentMode)
{
    g_setup.silent = 1;
    const unsigned char junk[] = {0x78, 0x9C, 1, 2, 3, 4, 5};
    unsigned char out[64];
    EXPECT_EQ(0, Unpack(junk, sizeof junk, out, sizeof out));
    ASSERT_EQ(1u, AskedMessages().size());
    EXPECT_EQ("Unable to decompress data", AskedMessages()[0].text);
    EXPECT_EQ((UINT)(MB_OK | MB_ICONEXCLAMATION), AskedMessages()[0].type);
    EXPECT_EQ("Arbolix\xAE Setup", AskedMessages()[0].caption);
}

TEST_F(ResourcesTest, StoredPieceUnpacksWithoutAMessage)
{
    const unsigned char piece[] = {'a', 'b', 'c'};
    unsigned char out[3];
    EXPECT_EQ(1, Unpack(piece, 3, out, 3));
    EXPECT_EQ(0, memcmp(piece, out, 3));
    EXPECT_TRUE(AskedMessages().empty());
}
