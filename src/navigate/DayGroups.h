#pragma once
// The day groups of the favorites and history pages: each record is listed under the day
// on which it was made, counted in calendar days of the local time zone.

#include <array>
#include <cstdint>
#include <string>

// Group ids, in the order the pages create them.
enum EDayGroup : int
{
    DayGroupTitle = 0,   // every item starts here; its label is the page's title
    DayGroupToday = 1,   // 1 .. 7: today, yesterday, 2 .. 6 days ago
    DayGroupOlder = 8,   // more than 6 days ago, or in the future
    DayGroupUnknown = 9, // no time recorded
    DayGroupCount = 10,
};

// The group of a record made at tRecord (seconds since 1970 UTC) as seen at tNow: a time
// not after 1970-01-01 00:00:00 UTC is unknown; otherwise d, the number of calendar days
// between the local dates of the two times, gives group d + 1 for d from 0 to 6 and the
// older group for anything else. Days are dates, not 24-hour periods: 23:59 yesterday is
// one day ago, across a change of daylight saving time or a month end alike.
int GetDayGroup(int64_t tRecord, int64_t tNow);

// The labels of the ten groups as seen at tNow: the page title, "Today - %s",
// "Yesterday - %s", "2 days ago - %s" .. "6 days ago - %s" with the local date of that day
// formatted by "%A %Y-%m-%d", then "More than 6 days ago" and "Unknown".
std::array<std::string, DayGroupCount> GetDayGroupLabels(int64_t tNow, const std::string& strTitle);
