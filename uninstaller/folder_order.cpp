#include "uninstaller/folder_order.h"

// Separators at the end of a path add no level.
static size_t Depth(const char* path)
{
    size_t depth = 0, pending = 0;
    for (; *path; ++path) {
        if (*path == '\\') {
            ++pending;
        } else {
            depth += pending;
            pending = 0;
        }
    }
    return depth;
}

void SortDeepestFirst(const char** folders, size_t count)
{
    for (size_t i = 1; i < count; ++i) {
        const char* folder = folders[i];
        size_t depth = Depth(folder);
        size_t k = i;
        for (; k > 0 && Depth(folders[k - 1]) < depth; --k)
            folders[k] = folders[k - 1];
        folders[k] = folder;
    }
}
