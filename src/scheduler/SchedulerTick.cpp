#include "SchedulerTick.h"

#include <exception>
#include <optional>
#include <stdexcept>
#include <utility>

#include "ScheduleDate.h"

namespace torvane::scheduler {

namespace {

bool isFrequency(std::string_view word) {
    for (const auto frequency : kFrequencies)
        if (frequency == word) return true;
    return false;
}

enum class Firing { None, Due, Missed };

Firing firingOf(const ScheduleRow& row, const CalendarDate& today, const ClockTime& minute) {
    if (row.status != kEnabled || !isFrequency(row.schedule)) return Firing::None;
    // Compared as moments, so that a hand-edited "9:00" is due at "09:00".
    const auto date = parseShortDate(row.date);
    const auto time = parseShortTime(row.time);
    if (!date || !time) return Firing::None;
    if (*date == today && *time == minute) return Firing::Due;
    if (std::pair(*date, *time) < std::pair(today, minute)) return Firing::Missed;
    return Firing::None;
}

void advance(TickServices& services, int index, ScheduleRow row, Firing firing,
             const CalendarDate& today, const ClockTime& minute) {
    if (row.schedule == kOneTime) {
        row.status = kCompletedShown;
        services.list.setRow(index, row);
        services.registry.SaveValue(index, "Status", std::string(kCompleteStored));
        return;
    }
    CalendarDate date = today;
    if (firing == Firing::Due) {
        date = *nextDate(row.schedule, today);
    } else {
        // A missed event keeps its own rhythm: stepped from its stored date until it is ahead.
        date = *parseShortDate(row.date);
        const ClockTime time = *parseShortTime(row.time);
        while (std::pair(date, time) <= std::pair(today, minute))
            date = *nextDate(row.schedule, date);
    }
    row.date = formatShortDate(date);
    services.list.setRow(index, row);
    services.registry.SaveValue(index, "Date", row.date);
}

void start(TickServices& services, const std::string& backupSet, Firing firing) {
    const UtilityCommand command = utilityCommand(services.utilityFolder, backupSet);
    std::string outcome;
    try {
        const auto program = services.host.resolve(command.program);
        if (!program) throw std::runtime_error("No drive holds " + command.program);
        services.starter.startDetached(*program, command.argument);
        outcome = firing == Firing::Missed ? " Missed - Started Late" : " Started";
    } catch (const std::exception&) {
        outcome = " Unable to be Started";
    }
    services.logBackup("Backup " + backupSet + outcome);
}

}  // namespace

std::optional<CalendarDate> nextDate(std::string_view frequency, CalendarDate from) {
    if (frequency == kDaily) return addDays(from, 1);
    if (frequency == kWeekdays) {
        NextWeekday(from);
        return from;
    }
    if (frequency == kWeekly) return addDays(from, 7);
    if (frequency == kBiWeekly) return addDays(from, 14);
    if (frequency == kMonthly) return addMonths(from, 1);
    return std::nullopt;
}

UtilityCommand utilityCommand(const std::string& utilityFolder, const std::string& backupSet) {
    return {utilityFolder + std::string(kUtilityExecutable), backupSet};
}

void SchedulerTick(TickServices& services) {
    // One reading for the whole tick: a minute and a date read apart can straddle midnight.
    const platform::LocalDateTime reading = services.clock.now();
    const CalendarDate today = dateOf(reading);
    const ClockTime minute = timeOf(reading);

    const int rowCount = services.list.count();
    for (int index = 1; index <= rowCount; ++index) {
        const ScheduleRow row = services.list.row(index);
        const Firing firing = firingOf(row, today, minute);
        if (firing == Firing::None) continue;
        advance(services, index, row, firing, today, minute);
        start(services, row.backupSet, firing);
    }
}

}  // namespace torvane::scheduler
