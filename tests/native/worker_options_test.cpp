#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "uninstaller/worker_options.h"

static int Parse(std::vector<const char*> arguments, WorkerOptions* options)
{
    arguments.insert(arguments.begin(), "Arb1.tmp");
    return ParseWorkerOptions((int)arguments.size(), const_cast<char* const*>(arguments.data()), options);
}

TEST(ParseWorkerOptions, TakesBothHandlesAndTheUninstallerPath)
{
    WorkerOptions options;
    ASSERT_EQ(1, Parse({"-Remove", "120", "4294967295", "C:\\Program Files\\Arbolix Beta\\Uninstall.exe"}, &options));
    EXPECT_EQ(120ul, options.resultPipe);
    EXPECT_EQ(4294967295ul, options.original);
    EXPECT_STREQ("C:\\Program Files\\Arbolix Beta\\Uninstall.exe", options.uninstallerPath);
}

TEST(ParseWorkerOptions, AnythingIncompleteIsNoWorkersRun)
{
    WorkerOptions options;
    for (std::vector<const char*> arguments : std::vector<std::vector<const char*>>{
             {},
             {"-USilent"},
             {"-Remove", "120", "44"},
             {"-Remove", "120", "44", ""},
             {"-Remove", "0", "44", "C:\\x"},
             {"-Remove", "120", "0", "C:\\x"},
             {"-Remove", "12a", "44", "C:\\x"},
             {"-Remove", "-1", "44", "C:\\x"},
             {"-Remove", "", "44", "C:\\x"},
             {"-Remove", "4294967296", "44", "C:\\x"},
             {"/Remove", "120", "44", "C:\\x"},
             {"-remove", "120", "44", "C:\\x"},
         }) {
        options.resultPipe = 7;
        EXPECT_EQ(0, Parse(arguments, &options)) << arguments.size();
        EXPECT_EQ(0ul, options.resultPipe);
        EXPECT_EQ(nullptr, options.uninstallerPath);
    }
}
