// libFuzzer target: any bytes as an argument vector, split at NUL bytes. The parser
// reads only the tokens it is given, takes the folder from the token after a -Path
// or -PathDefault, and its flags agree with each other.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>

#include <string>
#include <vector>

#include "common/command_line.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<std::string> tokens;
    std::string current;
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            tokens.push_back(current);
            current.clear();
        } else {
            current += (char)data[i];
        }
    }
    tokens.push_back(current);
    // Each token in its own block, so that reading past one is caught.
    std::vector<char*> argv;
    for (const std::string& token : tokens)
        argv.push_back(strdup(token.c_str()));

    CommandLineOptions options;
    memset(&options, 0x5A, sizeof options);
    ParseCommandLine((int)argv.size(), argv.data(), &options);

    int forced = 0, unattended = 0, silent = 0, currentUser = 0;
    const char* folder = 0;
    for (size_t i = 0; i < argv.size(); ++i) {
        const char* t = argv[i];
        if (t[0] != '-' && t[0] != '/')
            continue;
        const char* name = t + 1;
        if (!strcasecmp(name, "Path") || !strcasecmp(name, "PathDefault")) {
            if (i + 1 < argv.size()) {
                folder = argv[++i];
                forced |= !strcasecmp(name, "Path");
            }
        } else if (!strcasecmp(name, "U")) {
            unattended = 1;
        } else if (!strcasecmp(name, "USilent")) {
            unattended = silent = 1;
        } else if (!strcasecmp(name, "CU")) {
            currentUser = 1;
        }
    }
    if (options.folder != folder || options.folderForced != forced || options.unattended != unattended ||
        options.silent != silent || options.currentUserOnly != currentUser)
        abort();
    for (char* token : argv)
        free(token);
    return 0;
}
