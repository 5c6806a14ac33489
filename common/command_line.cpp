#include "common/command_line.h"

#include <string.h>

static int EqualsIgnoringCase(const char* a, const char* b)
{
    for (;; ++a, ++b) {
        char ca = *a, cb = *b;
        if (ca >= 'A' && ca <= 'Z') ca = (char)(ca - 'A' + 'a');
        if (cb >= 'A' && cb <= 'Z') cb = (char)(cb - 'A' + 'a');
        if (ca != cb) return 0;
        if (ca == 0) return 1;
    }
}

void ParseCommandLine(int argc, char* const* argv, CommandLineOptions* options)
{
    memset(options, 0, sizeof *options);
    for (int i = 0; i < argc; ++i) {
        const char* token = argv[i];
        if (!token || (token[0] != '-' && token[0] != '/'))
            continue;
        const char* name = token + 1;
        if (EqualsIgnoringCase(name, "Path") || EqualsIgnoringCase(name, "PathDefault")) {
            if (i + 1 >= argc)
                continue;
            options->folder = argv[++i];
            if (EqualsIgnoringCase(name, "Path"))
                options->folderForced = 1;
        } else if (EqualsIgnoringCase(name, "U")) {
            options->unattended = 1;
        } else if (EqualsIgnoringCase(name, "USilent")) {
            options->unattended = 1;
            options->silent = 1;
        } else if (EqualsIgnoringCase(name, "CU")) {
            options->currentUserOnly = 1;
        } else if (EqualsIgnoringCase(name, "Log") && i + 1 < argc) {
            options->logFile = argv[++i];
        }
    }
}
