#include "uninstaller/worker_options.h"

#include <string.h>

const char kWorkerOption[] = "-Remove";

enum { kWorkerArgumentCount = 6 };  // after the option

static int ParseNumber(const char* text, unsigned long* value)
{
    unsigned long number = 0;
    if (!*text)
        return 0;
    for (; *text; ++text) {
        if (*text < '0' || *text > '9')
            return 0;
        unsigned long digit = (unsigned long)(*text - '0');
        if (number > (0xFFFFFFFFul - digit) / 10)
            return 0;
        number = number * 10 + digit;
    }
    *value = number;
    return 1;
}

static int ParseHandle(const char* text, unsigned long* value)
{
    return ParseNumber(text, value) && *value != 0;
}

int ParseWorkerOptions(int argc, char* const* argv, WorkerOptions* options)
{
    memset(options, 0, sizeof *options);
    for (int i = 1; i + kWorkerArgumentCount < argc; ++i) {
        if (strcmp(argv[i], kWorkerOption) != 0)
            continue;
        char* const* value = argv + i + 1;
        if (ParseHandle(value[0], &options->resultPipe) && ParseHandle(value[1], &options->original) &&
            ParseNumber(value[2], &options->volumeSerial) && ParseNumber(value[3], &options->fileIndexHigh) &&
            ParseNumber(value[4], &options->fileIndexLow) && value[5][0]) {
            options->uninstallerPath = value[5];
            return 1;
        }
        break;
    }
    memset(options, 0, sizeof *options);
    return 0;
}
