#include "uninstall/contained_path.h"

#include <string.h>

#include "setup/path_text.h"

static int IsForbiddenCharacter(unsigned char c)
{
    return c < 32 || c == '/' || c == ':' || c == '*' || c == '?' || c == '"' || c == '<' || c == '>' ||
           c == '|';
}

// Checks the components of text from position start to its end (one trailing '\'
// allowed). Returns 0 on the first bad component.
static int HasPlainComponents(const char* text, size_t start, size_t length)
{
    if (length > start && text[length - 1] == '\\')
        --length;
    size_t componentStart = start;
    for (size_t i = start; i <= length; ++i) {
        if (i < length && text[i] != '\\') {
            if (IsForbiddenCharacter((unsigned char)text[i]))
                return 0;
            continue;
        }
        if (i == componentStart)
            return i == start && i == length;  // only a bare root may have no component
        int onlyDotsAndSpaces = 1;
        for (size_t k = componentStart; k < i; ++k)
            if (text[k] != '.' && text[k] != ' ') onlyDotsAndSpaces = 0;
        if (onlyDotsAndSpaces)
            return 0;
        componentStart = i + 1;
    }
    return 1;
}

int IsPlainFullPath(const char* path)
{
    size_t length = strlen(path);
    if (length >= kPathCapacity)
        return 0;
    char drive = path[0];
    if (((drive >= 'A' && drive <= 'Z') || (drive >= 'a' && drive <= 'z')) && path[1] == ':' && path[2] == '\\')
        return HasPlainComponents(path, 3, length);
    if (path[0] != '\\' || path[1] != '\\')
        return 0;
    // \\server\share: both parts required, and the checks of any other component.
    const char* share = strchr(path + 2, '\\');
    if (!share || share == path + 2 || share[1] == 0 || share[1] == '\\')
        return 0;
    return HasPlainComponents(path, 2, length);
}

static size_t LengthWithoutTrailingSeparator(const char* text)
{
    size_t length = strlen(text);
    // A drive root keeps its separator out of the comparison too: C:\ compares as C:.
    if (length && text[length - 1] == '\\')
        --length;
    return length;
}

static int SameTextIgnoringCase(const char* a, const char* b, size_t length)
{
    for (size_t i = 0; i < length; ++i) {
        char ca = a[i], cb = b[i];
        if (ca >= 'A' && ca <= 'Z') ca = (char)(ca - 'A' + 'a');
        if (cb >= 'A' && cb <= 'Z') cb = (char)(cb - 'A' + 'a');
        if (ca != cb) return 0;
    }
    return 1;
}

int IsPathInside(const char* path, const char* folder)
{
    if (!IsPlainFullPath(path) || !IsPlainFullPath(folder))
        return 0;
    size_t folderLength = LengthWithoutTrailingSeparator(folder);
    size_t pathLength = LengthWithoutTrailingSeparator(path);
    return pathLength > folderLength + 1 && path[folderLength] == '\\' &&
           SameTextIgnoringCase(path, folder, folderLength);
}

int IsSamePath(const char* a, const char* b)
{
    if (!IsPlainFullPath(a) || !IsPlainFullPath(b))
        return 0;
    size_t length = LengthWithoutTrailingSeparator(a);
    return length == LengthWithoutTrailingSeparator(b) && SameTextIgnoringCase(a, b, length);
}
