// A DLL planted beside the setup program must never be loaded.
#include <gtest/gtest.h>

#include <string>

#include "platform/win32.h"
#include "tests/support/file_facts.h"
#include "tests/support/temp_folder.h"

class DllPlantingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = MakeTempFolder("planted");
        program = folder + "\\dll_search_probe.exe";
        record = folder + "\\record.txt";
        std::string planted = std::string(PROBE_DIR) + "\\planted.dll";
        ASSERT_TRUE(CopyFileA((std::string(PROBE_DIR) + "\\dll_search_probe.exe").c_str(), program.c_str(), FALSE));
        ASSERT_TRUE(CopyFileA(planted.c_str(), (folder + "\\planted.dll").c_str(), FALSE));
    }
    void TearDown() override { RemoveTree(folder); }

    // Runs the probe from the planted folder; its exit code, and in loaded what the
    // planted DLL recorded ("" when it was not loaded).
    DWORD Run(const std::string& arguments)
    {
        DeleteFileA(record.c_str());
        SetEnvironmentVariableA("ARBOLIX_PROBE_RECORD", record.c_str());
        std::string command = "\"" + program + "\" " + arguments;
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process = {};
        DWORD exitCode = 99;
        if (CreateProcessA(0, &command[0], 0, 0, FALSE, 0, 0, folder.c_str(), &startup, &process)) {
            WaitForSingleObject(process.hProcess, 30000);
            GetExitCodeProcess(process.hProcess, &exitCode);
            CloseHandle(process.hProcess);
            CloseHandle(process.hThread);
        }
        SetEnvironmentVariableA("ARBOLIX_PROBE_RECORD", 0);
        loaded = PathExists(record) ? ReadBytes(record) : "";
        return exitCode;
    }

    std::string folder, program, record, loaded;
};

TEST_F(DllPlantingTest, StartUpRestrictionKeepsTheProgramsFolderOutOfTheSearch)
{
    EXPECT_EQ(1u, Run("load planted.dll"));  // without it the planted DLL wins
    EXPECT_EQ("loaded " + folder + "\\planted.dll\n", loaded);
    EXPECT_EQ(0u, Run("restricted-load planted.dll"));
    EXPECT_EQ("", loaded);
}
