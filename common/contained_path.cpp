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
