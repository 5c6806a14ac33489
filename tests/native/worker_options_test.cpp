#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "uninstaller/worker_options.h"

static int Parse(std::vector<const char*> arguments, WorkerOptions* options)
{
    arguments.insert(arguments.begin(), "Arb1.tmp");
    return ParseWorkerOptions((int)arguments.size(), const_cast<char* const*>(arguments.data()), options);
}

TEST(ParseWorkerOptions, TakesBothHandlesTheFilesIdentityAndTheUninstallerPath)
{
    WorkerOptions options;
    ASSERT_EQ(1, Parse({"-Remove", "120", "4294967295", "3735928559", "0", "77", "C:\\Program Files\\Arbolix Beta\\Uninstall.exe"},
                       &options));
    EXPECT_EQ(120ul, options.resultPipe);
    EXPECT_EQ(4294967295ul, options.original);
    EXPECT_EQ(3735928559ul, options.volumeSerial);
    EXPECT_EQ(0ul, options.fileIndexHigh);
    EXPECT_EQ(77ul, options.fileIndexLow);
    EXPECT_STREQ("C:\\Program Files\\Arbolix Beta\\Uninstall.exe", options.uninstallerPath);
}

TEST(ParseWorkerOptions, AnythingIncompleteIsNoWorkersRun)
{
    WorkerOptions options;
    for (std::vector<const char*> arguments : std::vector<std::vector<const char*>>{
             {},
             {"-USilent"},
             {"-Remove", "120", "44"},
             {"-Remove", "120", "44", "1", "2", "3"},
             {"-Remove", "120", "44", "C:\\x"},
             {"-Remove", "120", "44", "1", "2", "3", ""},
             {"-Remove", "0", "44", "1", "2", "3", "C:\\x"},
             {"-Remove", "120", "0", "1", "2", "3", "C:\\x"},
             {"-Remove", "12a", "44", "1", "2", "3", "C:\\x"},
             {"-Remove", "-1", "44", "1", "2", "3", "C:\\x"},
             {"-Remove", "", "44", "1", "2", "3", "C:\\x"},
             {"-Remove", "4294967296", "44", "1", "2", "3", "C:\\x"},
             {"-Remove", "120", "44", "", "2", "3", "C:\\x"},
             {"-Remove", "120", "44", "1", "x", "3", "C:\\x"},
             {"-Remove", "120", "44", "1", "2", "4294967296", "C:\\x"},
             {"/Remove", "120", "44", "1", "2", "3", "C:\\x"},
             {"-remove", "120", "44", "1", "2", "3", "C:\\x"},
         }) {
        options.resultPipe = 7;
        EXPECT_EQ(0, Parse(arguments, &options)) << arguments.size();
        EXPECT_EQ(0ul, options.resultPipe);
        EXPECT_EQ(0ul, options.volumeSerial);
        EXPECT_EQ(nullptr, options.uninstallerPath);
    }
}
