#include "ScheduleDate.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace torvane::scheduler {

namespace {

std::chrono::year_month_day toYmd(const CalendarDate& date) {
    return std::chrono::year{date.year} / std::chrono::month{static_cast<unsigned>(date.month)} /
           std::chrono::day{static_cast<unsigned>(date.day)};
}

CalendarDate fromYmd(const std::chrono::year_month_day& ymd) {
    return {static_cast<int>(ymd.year()), static_cast<int>(static_cast<unsigned>(ymd.month())),
            static_cast<int>(static_cast<unsigned>(ymd.day()))};
}

// Digits only, one or two of them for day, month, hour and minute; exactly four for the year.
std::optional<int> number(std::string_view text, std::size_t minDigits, std::size_t maxDigits) {
    if (text.size() < minDigits || text.size() > maxDigits) return std::nullopt;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

}  // namespace

std::string formatShortDate(const CalendarDate& date) {
    char text[32];
    std::snprintf(text, sizeof text, "%02d/%02d/%04d", date.day, date.month, date.year);
    return text;
}

std::string formatShortTime(const ClockTime& time) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d", time.hour, time.minute);
    return text;
}

std::optional<CalendarDate> parseShortDate(std::string_view text) {
    const auto first = text.find('/');
    if (first == std::string_view::npos) return std::nullopt;
    const auto second = text.find('/', first + 1);
    if (second == std::string_view::npos) return std::nullopt;
    const auto day = number(text.substr(0, first), 1, 2);
    const auto month = number(text.substr(first + 1, second - first - 1), 1, 2);
    const auto year = number(text.substr(second + 1), 4, 4);
    if (!day || !month || !year) return std::nullopt;
    const CalendarDate date{*year, *month, *day};
    if (!toYmd(date).ok()) return std::nullopt;
    return date;
}

std::optional<ClockTime> parseShortTime(std::string_view text) {
    const auto colon = text.find(':');
    if (colon == std::string_view::npos) return std::nullopt;
    const auto hour = number(text.substr(0, colon), 1, 2);
    const auto minute = number(text.substr(colon + 1), 1, 2);
    if (!hour || !minute || *hour > 23 || *minute > 59) return std::nullopt;
    return ClockTime{*hour, *minute};
}

CalendarDate dateOf(const platform::LocalDateTime& reading) {
    return {reading.year, reading.month, reading.day};
}

ClockTime timeOf(const platform::LocalDateTime& reading) { return {reading.hour, reading.minute}; }

CalendarDate addDays(const CalendarDate& date, int days) {
    const std::chrono::sys_days day{toYmd(date)};
    return fromYmd(std::chrono::year_month_day{day + std::chrono::days{days}});
}

CalendarDate addMonths(const CalendarDate& date, int months) {
    const auto ymd = toYmd(date);
    const auto target = ymd.year() / ymd.month() / std::chrono::last + std::chrono::months{months};
    return fromYmd(target.year() / target.month() / std::min(ymd.day(), target.day()));
}

int weekdayOf(const CalendarDate& date) {
    return static_cast<int>(
        std::chrono::weekday{std::chrono::sys_days{toYmd(date)}}.iso_encoding());
}

std::string NextWeekday(CalendarDate& date) {
    std::string result;
    do {
        date = addDays(date, 1);
        result = formatShortDate(date);
    } while (weekdayOf(date) >= 6);
    return result;
}

}  // namespace torvane::scheduler
