#include "common/deployment_log_format.h"

#include <string.h>

#include "common/text_format.h"

size_t FormatDeploymentLine(char* dest, size_t capacity, const LogTime& time, const char* text)
{
    if (capacity < 3)
        return 0;
    size_t length = FormatText(dest, capacity - 2, "%04u-%02u-%02u %02u:%02u:%02u.%03u ", time.year, time.month,
                               time.day, time.hour, time.minute, time.second, time.milliseconds);
    for (; *text && length + 2 < capacity - 2; ++text) {
        if (*text == '\r' && text[1] == '\n')
            continue;
        if (*text == '\r' || *text == '\n') {
            dest[length++] = '\\';
            dest[length++] = 'n';
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
