#include <gtest/gtest.h>

#include "common/dll_search.h"
#include "state/setup_state.h"

TEST(Startup, NtFamilyStartsInAllUsersMode)
{
    // Wine reports an NT-family Windows, so the static initialiser chose all users.
    ASSERT_EQ(0u, GetVersion() & 0x80000000u);
    EXPECT_EQ(1, g_setup.allUsers);
}

TEST(Startup, CommandLineFillsTheState)
{
    SetupState saved = g_setup;
    const char* argv[] = {"ArbolixSetup.exe", "/usilent", "-CU", "-Path", "D:\\Apps Beta"};
    ApplyCommandLine(5, const_cast<char* const*>(argv));
    EXPECT_EQ(1, g_setup.unattended);
    EXPECT_EQ(1, g_setup.silent);
    EXPECT_EQ(0, g_setup.allUsers);
    EXPECT_EQ(1, g_setup.folderForced);
    EXPECT_STREQ("D:\\Apps Beta", g_setup.commandLineFolder);
    g_setup = saved;
}

TEST(Startup, WithoutCuAllUsersModeStays)
{
    SetupState saved = g_setup;
    const char* argv[] = {"ArbolixSetup.exe", "-U"};
    ApplyCommandLine(2, const_cast<char* const*>(argv));
    EXPECT_EQ(1, g_setup.allUsers);
    EXPECT_EQ(0, g_setup.silent);
    g_setup = saved;
}
