#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/Clock.h"

namespace torvane::scheduler {

// A calendar day of the schedule. Store, list and picker all exchange it as the one short-date
// text "dd/MM/yyyy", so that due dates can be compared as text the way the store keeps them.
struct CalendarDate {
    int year = 2000;
    int month = 1;
    int day = 1;

    friend auto operator<=>(const CalendarDate&, const CalendarDate&) = default;
};

// A minute of the day, exchanged as "HH:mm" (24-hour).
struct ClockTime {
    int hour = 0;
    int minute = 0;

    friend auto operator<=>(const ClockTime&, const ClockTime&) = default;
};

std::string formatShortDate(const CalendarDate& date);
std::string formatShortTime(const ClockTime& time);
// Only real calendar days and minutes, but lenient in their digits, as a hand-edited store
// writes them: "9/1/2026" and "9:5" read as 09/01/2026 and 09:05. Writing always uses the
// fixed forms above.
std::optional<CalendarDate> parseShortDate(std::string_view text);
std::optional<ClockTime> parseShortTime(std::string_view text);

CalendarDate dateOf(const platform::LocalDateTime& reading);
ClockTime timeOf(const platform::LocalDateTime& reading);

CalendarDate addDays(const CalendarDate& date, int days);
// Same day of the month, or the month's last day when the target month is shorter.
CalendarDate addMonths(const CalendarDate& date, int months);
// Monday = 1 ... Sunday = 7.
int weekdayOf(const CalendarDate& date);

// Advances `date` to the next Monday-to-Friday after it and returns that day as short-date text.
std::string NextWeekday(CalendarDate& date);

}  // namespace torvane::scheduler
