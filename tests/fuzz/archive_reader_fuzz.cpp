// libFuzzer target: any bytes as a payload archive. The reader must refuse or walk
// them without reading outside the input, every entry it gives must lie inside,
// and the packer's diagnosis must agree with the reader. The names verify accepts
// must obey the setup program's rule, and its hashed check for two entries that are
// one file on Windows must agree with a plain comparison of every pair.
#include <locale.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <wctype.h>

#include <string>
#include <vector>

#include "payload/archive_format.h"
#include "payload/archive_reader.h"
#include "common/contained_path.h"
#include "payload/decompress.h"
#include "tools/pack/archive_check.h"
#include "tools/pack/code_page.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // towupper knows the letters past ASCII only in a Unicode locale.
    if (!setlocale(LC_CTYPE, "C.UTF-8"))
        abort();
    return 0;
}

struct SeenName {
    bool system;
    std::vector<std::wstring> parts;
};

// The name's parts as Windows compares them, by way of Unicode.
static SeenName Parts(const DirectoryEntry& entry)
{
    SeenName seen{(entry.flags & kInSystemDirectory) != 0, {std::wstring()}};
    for (const char* p = entry.name; *p; ++p) {
        if (*p == '\\')
            seen.parts.push_back(std::wstring());
        else
            seen.parts.back() += (wchar_t)towupper((wint_t)Windows1252ToUnicode((unsigned char)*p));
    }
    for (std::wstring& part : seen.parts)
        while (!part.empty() && (part.back() == L'.' || part.back() == L' '))
            part.pop_back();
    return seen;
}

// One name is the other, or a folder above it.
static bool InTheWay(const SeenName& a, const SeenName& b)
{
    size_t shorter = a.parts.size() < b.parts.size() ? a.parts.size() : b.parts.size();
    if (a.system != b.system)
        return false;
    for (size_t i = 0; i < shorter; ++i)
        if (a.parts[i] != b.parts[i])
            return false;
    return true;
}

static void CheckNames(const DirectoryEntry& entry, size_t index, TargetNameIndex* names,
                       std::vector<SeenName>* accepted)
{
    bool refused = !EntryNameFault(entry, index, names).empty();
    bool fine = FindTargetNameFault(entry.name) == kTargetNameFine;
    if (fine && (!IsContainedRelativePath(entry.name) || strlen(entry.name) > 259 || strpbrk(entry.name, "<>\"|?*")))
        abort();
    if (!fine) {
        if (!refused)
            abort();
        return;
    }
    SeenName seen = Parts(entry);
    bool clash = false;
    for (const SeenName& earlier : *accepted)
        clash = clash || InTheWay(earlier, seen);
    if (clash != refused)
        abort();
    if (!refused && accepted->size() < 256)
        accepted->push_back(seen);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ArchiveReader reader;
    int opened = OpenArchiveBytes(&reader, data, size);
    bool sound = FindArchiveFault(Bytes(data, data + size)).empty();
    if (opened != (int)sound)
        abort();
    if (!opened)
        return 0;
    DirectoryEntry entry;
    TargetNameIndex names;
    std::vector<SeenName> accepted;
    size_t index = 0;
    while (NextArchiveEntry(&reader, &entry)) {
        size_t nameLength = strlen(entry.name);
        if ((const unsigned char*)entry.name + nameLength >= reader.directory + reader.directorySize)
            abort();
        if (entry.data < data || entry.storedSize > (size_t)(data + size - entry.data))
            abort();
        CheckNames(entry, ++index, &names, &accepted);
        // Unpacking is what the installer does next; keep it to pieces of sane size.
        if (entry.size <= (1u << 20)) {
            unsigned char* out = (unsigned char*)malloc(entry.size ? entry.size : 1);
            UnpackPiece(entry.data, entry.storedSize, out, entry.size);
            free(out);
        }
    }
    CloseArchive(&reader);
    return 0;
}
