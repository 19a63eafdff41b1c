#include <gtest/gtest.h>

#include "scheduler/ScheduleDate.h"

namespace torvane::scheduler {
namespace {

TEST(ScheduleDate, ShortFormatsArePaddedAndRoundTrip) {
    EXPECT_EQ(formatShortDate({2026, 3, 7}), "07/03/2026");
    EXPECT_EQ(formatShortTime({9, 5}), "09:05");
    EXPECT_EQ(parseShortDate("07/03/2026"), (CalendarDate{2026, 3, 7}));
    EXPECT_EQ(parseShortDate("7/3/2026"), (CalendarDate{2026, 3, 7}));
    EXPECT_EQ(parseShortTime("9:05"), (ClockTime{9, 5}));
}

TEST(ScheduleDate, ParsingRefusesWhatIsNoDayOrMinute) {
    for (const char* text : {"", "31/02/2026", "29/02/2025", "00/01/2026", "01/13/2026", "01/01/26", "1-1-2026",
                             "aa/01/2026", "01/01/2026x"})
        EXPECT_FALSE(parseShortDate(text)) << text;
    EXPECT_TRUE(parseShortDate("29/02/2024"));
    for (const char* text : {"", "24:00", "12:60", "12:5", "12", "ab:cd"}) EXPECT_FALSE(parseShortTime(text)) << text;
}

TEST(ScheduleDate, DaysCrossMonthsAndYears) {
    EXPECT_EQ(addDays({2026, 12, 31}, 1), (CalendarDate{2027, 1, 1}));
    EXPECT_EQ(addDays({2024, 2, 28}, 1), (CalendarDate{2024, 2, 29}));
    EXPECT_EQ(addDays({2026, 2, 20}, 14), (CalendarDate{2026, 3, 6}));
}

TEST(ScheduleDate, MonthsClampToTheMonthsLastDay) {
    EXPECT_EQ(addMonths({2026, 1, 31}, 1), (CalendarDate{2026, 2, 28}));
    EXPECT_EQ(addMonths({2024, 1, 31}, 1), (CalendarDate{2024, 2, 29}));
    EXPECT_EQ(addMonths({2026, 2, 28}, 1), (CalendarDate{2026, 3, 28}));
    EXPECT_EQ(addMonths({2026, 3, 31}, 1), (CalendarDate{2026, 4, 30}));
    EXPECT_EQ(addMonths({2026, 12, 15}, 1), (CalendarDate{2027, 1, 15}));
}

TEST(ScheduleDate, WeekdaysRunMondayOneToSundaySeven) {
    EXPECT_EQ(weekdayOf({2026, 12, 7}), 1);
    EXPECT_EQ(weekdayOf({2026, 12, 11}), 5);
    EXPECT_EQ(weekdayOf({2026, 12, 13}), 7);
}

TEST(ScheduleDate, NextWeekdaySkipsTheWeekendAndAdvancesItsArgument) {
    struct Case {
        CalendarDate from;
        CalendarDate expected;
    };
    const Case cases[] = {
        {{2026, 12, 11}, {2026, 12, 14}},  // Friday -> Monday
        {{2026, 12, 12}, {2026, 12, 14}},  // Saturday -> Monday
        {{2026, 12, 13}, {2026, 12, 14}},  // Sunday -> Monday
        {{2026, 12, 9}, {2026, 12, 10}},   // Wednesday -> Thursday
        {{2026, 12, 31}, {2027, 1, 1}},    // Thursday over the year's end
    };
    for (const Case& c : cases) {
        CalendarDate date = c.from;
        EXPECT_EQ(NextWeekday(date), formatShortDate(c.expected));
        EXPECT_EQ(date, c.expected);
    }
}

}  // namespace
}  // namespace torvane::scheduler
