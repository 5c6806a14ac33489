#include "tools/pack/file_times.h"

#include <stdio.h>

#include "tools/pack/archive_writer.h"

static const int64_t kSecondsPerDay = 86400;

// Days since 1970-01-01 of a proleptic Gregorian date (Howard Hinnant's algorithm).
static int64_t DaysFromCivil(int64_t year, unsigned month, unsigned day)
{
    year -= month <= 2;
    int64_t era = (year >= 0 ? year : year - 399) / 400;
    unsigned yearOfEra = (unsigned)(year - era * 400);
    unsigned dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + (int64_t)dayOfEra - 719468;
}

static void CivilFromDays(int64_t days, int64_t* year, unsigned* month, unsigned* day)
{
    days += 719468;
    int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    unsigned dayOfEra = (unsigned)(days - era * 146097);
    unsigned yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    unsigned mp = (5 * dayOfYear + 2) / 153;
    *day = dayOfYear - (153 * mp + 2) / 5 + 1;
    *month = mp < 10 ? mp + 3 : mp - 9;
    *year = (int64_t)yearOfEra + era * 400 + (*month <= 2);
}

std::string FormatFileTime(uint64_t fileTime)
{
    int64_t seconds = (int64_t)(fileTime / 10000000ULL) - 11644473600LL;
    int64_t days = seconds >= 0 ? seconds / kSecondsPerDay : (seconds - kSecondsPerDay + 1) / kSecondsPerDay;
    int64_t rest = seconds - days * kSecondsPerDay;
    int64_t year;
    unsigned month, day;
    CivilFromDays(days, &year, &month, &day);
    char text[64];
    snprintf(text, sizeof text, "%04lld-%02u-%02u %02u:%02u:%02u", (long long)year, month, day,
             (unsigned)(rest / 3600), (unsigned)(rest / 60 % 60), (unsigned)(rest % 60));
    return text;
}

// Exactly count decimal digits at text[at], as a number.
static bool Digits(const std::string& text, size_t at, size_t count, unsigned* value)
{
    *value = 0;
    for (size_t i = at; i < at + count; ++i) {
        if (i >= text.size() || text[i] < '0' || text[i] > '9')
            return false;
        *value = *value * 10 + (unsigned)(text[i] - '0');
    }
    return true;
}

bool ParseUnixSeconds(const std::string& text, int64_t* seconds)
{
    // Twelve digits hold every second of the range without overflow.
    size_t start = !text.empty() && text[0] == '-' ? 1 : 0;
    unsigned digit;
    int64_t value = 0;
    if (text.size() == start || text.size() - start > 12)
        return false;
    for (size_t i = start; i < text.size(); ++i) {
        if (!Digits(text, i, 1, &digit))
            return false;
        value = value * 10 + digit;
    }
    *seconds = start ? -value : value;
    return *seconds >= kEarliestUnixSeconds && *seconds <= kLatestUnixSeconds;
}

bool ParseHexNumber(const std::string& text, size_t maxDigits, uint64_t* value)
{
    if (text.size() < 3 || text.size() - 2 > maxDigits || text[0] != '0' || (text[1] != 'x' && text[1] != 'X'))
        return false;
    *value = 0;
    for (size_t i = 2; i < text.size(); ++i) {
        char c = text[i];
        int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10
                  : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
        if (digit < 0)
            return false;
        *value = *value << 4 | (uint64_t)digit;
    }
    return true;
}

// "YYYY-MM-DDTHH:MM:SSZ", or "YYYY-MM-DD HH:MM:SS" as list prints times.
static bool ParseCalendarTime(const std::string& text, uint64_t* fileTime)
{
    bool iso = text.size() == 20 && text[10] == 'T' && text[19] == 'Z';
    bool listed = text.size() == 19 && text[10] == ' ';
    if (!iso && !listed)
        return false;
    unsigned year, month, day, hour, minute, second;
    if (!Digits(text, 0, 4, &year) || text[4] != '-' || !Digits(text, 5, 2, &month) || text[7] != '-'
        || !Digits(text, 8, 2, &day) || !Digits(text, 11, 2, &hour) || text[13] != ':'
        || !Digits(text, 14, 2, &minute) || text[16] != ':' || !Digits(text, 17, 2, &second))
        return false;
    if (year < 1601 || month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 59)
        return false;
    int64_t days = DaysFromCivil(year, month, day);
    int64_t check;
    unsigned checkMonth, checkDay;
    CivilFromDays(days, &check, &checkMonth, &checkDay);
    if (checkMonth != month || checkDay != day)
        return false;  // 31 April and the like
    *fileTime = FileTimeFromUnix(days * kSecondsPerDay + hour * 3600 + minute * 60 + second);
    return true;
}

bool ParseFileTime(const std::string& text, uint64_t* fileTime)
{
    if (text.size() > 1 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        return ParseHexNumber(text, 16, fileTime) && *fileTime <= kLatestRawFileTime;
    int64_t seconds;
    if (!text.empty() && text[0] == '@') {
        if (!ParseUnixSeconds(text.substr(1), &seconds))
            return false;
        *fileTime = FileTimeFromUnix(seconds);
        return true;
    }
    return ParseCalendarTime(text, fileTime);
}
