#include "navigate/DayGroups.h"

#include <ctime>

namespace
{
// Days from 1970-01-01 of a proleptic Gregorian date (month 1..12).
int64_t DaysFromCivil(int64_t y, int m, int d)
{
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

bool LocalDayNumber(int64_t t, int64_t& nDay)
{
    std::time_t time = static_cast<std::time_t>(t);
    std::tm tm{};
    if (!localtime_r(&time, &tm))
        return false;
    nDay = DaysFromCivil(static_cast<int64_t>(tm.tm_year) + 1900, tm.tm_mon + 1, tm.tm_mday);
    return true;
}

// The local date nDaysBack calendar days before tNow, as "%A %Y-%m-%d". The day is
// stepped on the calendar at noon, so a day of 23 or 25 hours never skips or repeats a date.
std::string FormatDayBack(int64_t tNow, int nDaysBack)
{
    std::time_t time = static_cast<std::time_t>(tNow);
    std::tm tm{};
    if (!localtime_r(&time, &tm))
        return {};
    tm.tm_mday -= nDaysBack;
    tm.tm_hour = 12;
    tm.tm_min = 0;
    tm.tm_sec = 0;
    tm.tm_isdst = -1;
    std::time_t day = std::mktime(&tm);
    std::tm dayTm{};
    if (day == static_cast<std::time_t>(-1) || !localtime_r(&day, &dayTm))
        return {};
    char buffer[128];
    size_t n = std::strftime(buffer, sizeof buffer, "%A %Y-%m-%d", &dayTm);
    return std::string(buffer, n);
}
} // namespace

int GetDayGroup(int64_t tRecord, int64_t tNow)
{
    if (tRecord <= 0)
        return DayGroupUnknown;
    int64_t nRecordDay = 0, nToday = 0;
    if (!LocalDayNumber(tRecord, nRecordDay) || !LocalDayNumber(tNow, nToday))
        return DayGroupOlder;
    const int64_t d = nToday - nRecordDay;
    return (d >= 0 && d <= 6) ? static_cast<int>(d) + DayGroupToday : DayGroupOlder;
}

std::array<std::string, DayGroupCount> GetDayGroupLabels(int64_t tNow, const std::string& strTitle)
{
    static const char* const kDayLabels[] = {
        "Today - ",      "Yesterday - ",  "2 days ago - ", "3 days ago - ",
        "4 days ago - ", "5 days ago - ", "6 days ago - ",
    };
    std::array<std::string, DayGroupCount> labels;
    labels[DayGroupTitle] = strTitle;
    for (int d = 0; d < 7; ++d)
        labels[static_cast<size_t>(DayGroupToday + d)] = kDayLabels[d] + FormatDayBack(tNow, d);
    labels[DayGroupOlder] = "More than 6 days ago";
    labels[DayGroupUnknown] = "Unknown";
    return labels;
}
