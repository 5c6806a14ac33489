#include "uninstaller/worker_options.h"

#include <string.h>

const char kWorkerOption[] = "-Remove";

static int ParseHandle(const char* text, unsigned long* value)
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
    return number != 0;
}

int ParseWorkerOptions(int argc, char* const* argv, WorkerOptions* options)
{
    memset(options, 0, sizeof *options);
    for (int i = 1; i + 3 < argc; ++i) {
        if (strcmp(argv[i], kWorkerOption) != 0)
            continue;
        if (ParseHandle(argv[i + 1], &options->resultPipe) && ParseHandle(argv[i + 2], &options->original) &&
            argv[i + 3][0]) {
            options->uninstallerPath = argv[i + 3];
            return 1;
        }
        break;
    }
    memset(options, 0, sizeof *options);
    return 0;
}
