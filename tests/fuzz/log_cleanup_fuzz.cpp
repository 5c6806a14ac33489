// libFuzzer target: any bytes as a previous uninstall log. Whatever it says, the
// cleanup deletes only non-shortcut files inside the install folder, and the kept
// folder lines never outgrow their buffer.
#include <ctype.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "records/log_cleanup.h"

static const char kInstallFolder[] = "C:\\Apps\\Arbolix Beta";
static const char kSystemFolder[] = "C:\\windows\\system32";

struct Source {
    const uint8_t* data;
    size_t size;
    size_t position;
};

static int NextByte(void* source)
{
    Source* s = static_cast<Source*>(source);
    return s->position < s->size ? s->data[s->position++] : -1;
}

static std::string Lower(std::string text)
{
    for (char& c : text)
        c = (char)tolower((unsigned char)c);
    return text;
}

// Checked here in a different way from the cleanup's own test.
static bool Deletable(const std::string& path)
{
    std::string lower = Lower(path);
    bool inside = false;
    std::string prefix = Lower(kInstallFolder) + "\\";
    if (lower.compare(0, prefix.size(), prefix) == 0 && lower.size() > prefix.size())
        inside = true;
    std::string wrapped = "\\" + lower + "\\";
    return inside && lower.find_first_of("/:", 2) == std::string::npos &&
           wrapped.find("\\..\\") == std::string::npos && wrapped.find("\\.\\") == std::string::npos &&
           wrapped.find("\\\\") == std::string::npos &&
           !(lower.size() >= 4 && lower.compare(lower.size() - 4, 4, ".lnk") == 0) &&
           path.size() < kLogLineCapacity;
}

static void CheckDeletion(const char* path, void*)
{
    if (!Deletable(path))
        abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Source source = {data, size, 0};
    std::vector<char> kept(size + 100);
    kept[0] = 0;
    PreviousLogCleanup cleanup = {kInstallFolder, kSystemFolder, kept.data(), kept.size(), 0, CheckDeletion, 0, 0};
    DeleteLoggedFilesKeepFolderLines(NextByte, &source, &cleanup);
    if (strlen(kept.data()) != cleanup.keptLength)
        abort();
    return 0;
}
