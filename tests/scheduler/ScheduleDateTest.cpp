#include <gtest/gtest.h>

#include "scheduler/ScheduleDate.h"

namespace torvane::scheduler {
namespace {

TEST(ScheduleDate, ParsingRefusesWhatIsNoDayOrMinute) {
    for (const char* text : {"", "31/02/2026", "29/02/2025", "00/01/2026", "01/13/2026", "01/01/26",
                             "1-1-2026", "aa/01/2026", "01/01/2026x"})
        EXPECT_FALSE(parseShortDate(text)) << text;
    EXPECT_TRUE(parseShortDate("29/02/2024"));
    for (const char* text : {"", "24:00", "12:60", "12:", ":30", "12:005", "12", "ab:cd", "9:00x"})
        EXPECT_FALSE(parseShortTime(text)) << text;
}

TEST(ScheduleDate, HandWrittenOneDigitFieldsReadAsTheFixedForm) {
    EXPECT_EQ(parseShortTime("9:00"), (ClockTime{9, 0}));
    EXPECT_EQ(parseShortTime("9:5"), (ClockTime{9, 5}));
    EXPECT_EQ(parseShortDate("9/1/2026"), (CalendarDate{2026, 1, 9}));
    EXPECT_EQ(formatShortTime(*parseShortTime("9:5")), "09:05");
    EXPECT_EQ(formatShortDate(*parseShortDate("9/1/2026")), "09/01/2026");
}

TEST(ScheduleDate, MonthsClampToTheMonthsLastDay) {
    EXPECT_EQ(addMonths({2026, 1, 31}, 1), (CalendarDate{2026, 2, 28}));
    EXPECT_EQ(addMonths({2024, 1, 31}, 1), (CalendarDate{2024, 2, 29}));
    EXPECT_EQ(addMonths({2026, 2, 28}, 1), (CalendarDate{2026, 3, 28}));
    EXPECT_EQ(addMonths({2026, 3, 31}, 1), (CalendarDate{2026, 4, 30}));
    EXPECT_EQ(addMonths({2026, 12, 15}, 1), (CalendarDate{2027, 1, 15}));
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
