#include "common/text_format.h"

#include <stdio.h>
#include <string.h>

size_t FormatTextV(char* dest, size_t capacity, const char* format, va_list values)
{
    if (capacity == 0)
        return 0;
#ifdef _WIN32
    // msvcrt's own formatter keeps the stub small; it leaves a cut text unterminated.
    int written = _vsnprintf(dest, capacity - 1, format, values);
    dest[capacity - 1] = 0;
    if (written < 0 || (size_t)written >= capacity - 1)
        return strlen(dest);
    return (size_t)written;
#else
    int written = vsnprintf(dest, capacity, format, values);
    if (written < 0) {
        dest[0] = 0;
        return 0;
    }
    return (size_t)written < capacity ? (size_t)written : capacity - 1;
#endif
}

size_t FormatText(char* dest, size_t capacity, const char* format, ...)
{
    va_list values;
    va_start(values, format);
    size_t length = FormatTextV(dest, capacity, format, values);
    va_end(values);
    return length;
}
