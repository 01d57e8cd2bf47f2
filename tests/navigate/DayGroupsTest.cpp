#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

#include "navigate/DayGroups.h"

namespace
{
// Runs the group tests in a zone with daylight saving time (Central Europe: the clocks go
// forward on 2024-03-31 at 02:00 and back on 2024-10-27 at 03:00).
class DayGroups : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const char* tz = std::getenv("TZ");
        m_bHadTz = tz != nullptr;
        if (tz)
            m_savedTz = tz;
        // A rule string rather than a zone name, so no time-zone database is needed.
        ::setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
        ::tzset();
    }
    void TearDown() override
    {
        if (m_bHadTz)
            ::setenv("TZ", m_savedTz.c_str(), 1);
        else
            ::unsetenv("TZ");
        ::tzset();
    }

    // Local time in the test zone.
    static int64_t Local(int y, int mon, int d, int h, int min)
    {
        std::tm tm{};
        tm.tm_year = y - 1900;
        tm.tm_mon = mon - 1;
        tm.tm_mday = d;
        tm.tm_hour = h;
        tm.tm_min = min;
        tm.tm_isdst = -1;
        return static_cast<int64_t>(std::mktime(&tm));
    }

    bool m_bHadTz = false;
    std::string m_savedTz;
};
} // namespace

TEST_F(DayGroups, CalendarDaysNotDayLengthsDecide)
{
    const int64_t now = Local(2024, 6, 12, 0, 30);
    EXPECT_EQ(GetDayGroup(Local(2024, 6, 12, 0, 1), now), DayGroupToday);
    EXPECT_EQ(GetDayGroup(Local(2024, 6, 11, 23, 59), now), DayGroupToday + 1);
    EXPECT_EQ(GetDayGroup(Local(2024, 6, 6, 0, 0), now), DayGroupToday + 6);
    EXPECT_EQ(GetDayGroup(Local(2024, 6, 5, 23, 59), now), DayGroupOlder);
    EXPECT_EQ(GetDayGroup(Local(2024, 6, 12, 0, 31), now), DayGroupToday); // later today
    EXPECT_EQ(GetDayGroup(Local(2024, 6, 13, 0, 0), now), DayGroupOlder);  // in the future
    EXPECT_EQ(GetDayGroup(0, now), DayGroupUnknown);
    EXPECT_EQ(GetDayGroup(-86400, now), DayGroupUnknown);

    // Across a month end, and a year end.
    EXPECT_EQ(GetDayGroup(Local(2024, 4, 30, 22, 0), Local(2024, 5, 1, 8, 0)), DayGroupToday + 1);
    EXPECT_EQ(GetDayGroup(Local(2024, 2, 29, 12, 0), Local(2024, 3, 1, 0, 0)), DayGroupToday + 1);
    EXPECT_EQ(GetDayGroup(Local(2023, 12, 26, 12, 0), Local(2024, 1, 1, 12, 0)), DayGroupToday + 6);

    // The day the clocks go forward has 23 hours and the day they go back 25: 23:30 on
    // the day before is still yesterday, though 24.5 or 25.5 hours have passed.
    EXPECT_EQ(GetDayGroup(Local(2024, 3, 30, 23, 30), Local(2024, 4, 1, 0, 0) - 1),
              DayGroupToday + 1);
    EXPECT_EQ(GetDayGroup(Local(2024, 10, 26, 23, 30), Local(2024, 10, 27, 23, 59)),
              DayGroupToday + 1);
    EXPECT_EQ(GetDayGroup(Local(2024, 10, 27, 0, 0), Local(2024, 10, 27, 23, 59)), DayGroupToday);
}

TEST_F(DayGroups, LabelsCarryTheLocalDatesCountedBackOnTheCalendar)
{
    // Just after midnight after the clocks went forward: going back in 24-hour steps would
    // land on 23:30 two days back and skip a date.
    const auto labels = GetDayGroupLabels(Local(2024, 4, 1, 0, 30), "History");
    EXPECT_EQ(labels[DayGroupTitle], "History");
    EXPECT_EQ(labels[1], "Today - Monday 2024-04-01");
    EXPECT_EQ(labels[2], "Yesterday - Sunday 2024-03-31");
    EXPECT_EQ(labels[3], "2 days ago - Saturday 2024-03-30");
    EXPECT_EQ(labels[7], "6 days ago - Tuesday 2024-03-26");
    EXPECT_EQ(labels[DayGroupOlder], "More than 6 days ago");
    EXPECT_EQ(labels[DayGroupUnknown], "Unknown");
}
