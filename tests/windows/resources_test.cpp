#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "payload/module_resources.h"
#include "resources/resource_ids.h"
#include "scripted_dialogs.h"
#include "state/setup_state.h"

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

// A text or ordinal field of a dialog template: 0xFFFF and a number, or UTF-16 text.
static const WORD* SkipTextOrOrdinal(const WORD* field)
{
    if (*field == 0xFFFF)
        return field + 2;
    while (*field++) {
    }
    return field;
}

TEST_F(ResourcesTest, IconControlKeepsItsSizeInTheTemplate)
{
    HMODULE setup = LoadLibraryExA(SETUP_EXE, 0, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, setup) << SETUP_EXE;
    HRSRC found = FindResourceA(setup, MAKEINTRESOURCEA(IDD_SETUP), (LPCSTR)RT_DIALOG);
    ASSERT_NE(nullptr, found);
    const DLGTEMPLATE* dialog = (const DLGTEMPLATE*)LockResource(LoadResource(setup, found));
    EXPECT_EQ(383, dialog->cx);
    EXPECT_EQ(262, dialog->cy);
    // Menu, class and caption, then the font's size and name; the first control,
    // the icon, starts on the next DWORD.
    const WORD* field = (const WORD*)(dialog + 1);
    for (int skipped = 0; skipped < 3; ++skipped)
        field = SkipTextOrOrdinal(field);
    field = SkipTextOrOrdinal(field + 1);
    const DLGITEMTEMPLATE* icon = (const DLGITEMTEMPLATE*)(((ULONG_PTR)field + 3) & ~(ULONG_PTR)3);
    EXPECT_EQ((DWORD)SS_ICON, icon->style & SS_TYPEMASK);
    EXPECT_EQ((std::vector<short>{7, 7, 20, 20}), (std::vector<short>{icon->x, icon->y, icon->cx, icon->cy}));
    const WORD* text = SkipTextOrOrdinal((const WORD*)(icon + 1));  // past the class
    EXPECT_EQ((std::vector<WORD>{0xFFFF, IDI_ARBOLIX}), (std::vector<WORD>{text[0], text[1]}));
    FreeLibrary(setup);
}
