#include "common/deployment_log_format.h"

#include <string.h>

#include "common/text_format.h"

// No Windows path holds a '<': "<0A>" cannot be read as a path's own text.
static const char kEscapeOpen = '<';
static const char kHexDigits[] = "0123456789ABCDEF";

size_t FormatDeploymentLine(char* dest, size_t capacity, const LogTime& time, const char* text)
{
    if (capacity < 3)
        return 0;
    size_t length = FormatText(dest, capacity - 2, "%04u-%02u-%02u %02u:%02u:%02u.%03u ", time.year, time.month,
                               time.day, time.hour, time.minute, time.second, time.milliseconds);
    for (; *text && length + 4 < capacity - 2; ++text) {
        unsigned char byte = (unsigned char)*text;
        if (byte == '\r' && text[1] == '\n')
            continue;
        if (byte < 0x20 || byte == 0x7F || byte == kEscapeOpen) {
            dest[length++] = kEscapeOpen;
            dest[length++] = kHexDigits[byte >> 4];
            dest[length++] = kHexDigits[byte & 15];
            dest[length++] = '>';
        } else {
            dest[length++] = *text;
        }
    }
    memcpy(dest + length, "\r\n", 3);
    return length + 2;
}

size_t FormatErrorText(char* dest, size_t capacity, unsigned long code, const char* systemText)
{
    size_t textLength = systemText ? strlen(systemText) : 0;
    while (textLength && (systemText[textLength - 1] == '\n' || systemText[textLength - 1] == '\r' ||
                          systemText[textLength - 1] == ' '))
        --textLength;
    if (!textLength)
        return FormatText(dest, capacity, "error %lu", code);
    return FormatText(dest, capacity, "error %lu: %.*s", code, (int)textLength, systemText);
}
