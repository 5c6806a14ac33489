#include "common/contained_path.h"

#include <string.h>

static char FoldCase(char c)
{
    return c >= 'a' && c <= 'z' ? (char)(c - 'a' + 'A') : c;
}

int IsContainedRelativePath(const char* path)
{
    if (!path[0])
        return 0;
    const char* component = path;
    for (const char* p = path;; ++p) {
        if (*p == ':' || *p == '/')
            return 0;
        if (*p != '\\' && *p != 0)
            continue;
        int plain = 0;
        for (const char* c = component; c < p; ++c)
            if (*c != '.' && *c != ' ')
                plain = 1;
        if (!plain)
            return 0;
        if (!*p)
            return 1;
        component = p + 1;
    }
}

int IsInsideFolder(const char* path, const char* folder)
{
    size_t length = strlen(folder);
    while (length > 0 && folder[length - 1] == '\\')
        --length;
    if (length == 0)
        return 0;
    for (size_t i = 0; i < length; ++i)
        if (FoldCase(path[i]) != FoldCase(folder[i]))
            return 0;
    return path[length] == '\\' && IsContainedRelativePath(path + length + 1);
}

static int IsForbiddenByte(unsigned char c)
{
    return c < 0x20 || strchr("<>\"|?*", c) != 0;
}

// Windows opens a device for these names in any folder, whatever follows the first
// dot and whatever spaces precede it. The superscript digits are Windows-1252's.
static int IsDeviceName(const char* component, size_t length)
{
    // One text of names, each ended by its zero: no table of pointers to relocate.
    static const char kDevices[] = "CON\0PRN\0AUX\0NUL\0CONIN$\0CONOUT$\0";
    size_t end = 0;
    while (end < length && component[end] != '.')
        ++end;
    while (end > 0 && component[end - 1] == ' ')
        --end;
    char base[8];
    if (end >= sizeof base)
        return 0;
    for (size_t i = 0; i < end; ++i)
        base[i] = FoldCase(component[i]);
    base[end] = 0;
    for (const char* device = kDevices; *device; device += strlen(device) + 1)
        if (!strncmp(base, device, sizeof base))
            return 1;
    if (end != 4 || (strncmp(base, "COM", 3) && strncmp(base, "LPT", 3)))
        return 0;
    unsigned char digit = (unsigned char)base[3];
    return (digit >= '1' && digit <= '9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3;
}

int FindTargetNameFault(const char* name)
{
    size_t length = strlen(name);
    if (length == 0)
        return kTargetNameEmpty;
    if (length > kTargetNameMaximum)
        return kTargetNameTooLong;
    if (strchr(name, '/'))
        return kTargetNameSlash;
    if (strchr(name, ':'))
        return kTargetNameColon;
    if (!IsContainedRelativePath(name))
        return kTargetNameNotContained;
    for (const char* p = name; *p; ++p)
        if (IsForbiddenByte((unsigned char)*p))
            return kTargetNameForbiddenByte;
    const char* component = name;
    for (const char* p = name;; ++p) {
        if (*p != '\\' && *p != 0)
            continue;
        if (IsDeviceName(component, (size_t)(p - component)))
            return kTargetNameDevice;
        if (!*p)
            return kTargetNameFine;
        component = p + 1;
    }
}
