#include "tools/pack/file_times.h"

#include <stdio.h>
#include <stdlib.h>

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

bool ParseFileTime(const std::string& text, uint64_t* fileTime)
{
    char* end;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        *fileTime = strtoull(text.c_str() + 2, &end, 16);
        return *end == 0 && text.size() <= 18;
    }
    if (text.size() > 1 && text[0] == '@') {
        long long seconds = strtoll(text.c_str() + 1, &end, 10);
        if (*end || seconds < -11644473600LL)
            return false;
        *fileTime = FileTimeFromUnix(seconds);
        return true;
    }
    unsigned year, month, day, hour, minute, second;
    char separator, zone = 0;
    int consumed = 0;
    if (sscanf(text.c_str(), "%4u-%2u-%2u%c%2u:%2u:%2u%n", &year, &month, &day, &separator, &hour,
               &minute, &second, &consumed) != 7)
        return false;
    if (consumed < (int)text.size()) {
        zone = text[consumed];
        if (zone != 'Z' || consumed + 1 != (int)text.size())
            return false;
    }
    if ((separator != 'T' && separator != ' ') || year < 1601 || month < 1 || month > 12 || day < 1
        || day > 31 || hour > 23 || minute > 59 || second > 59)
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
