#pragma once

#include <functional>
#include <optional>
#include <string>

#include "ScheduleDate.h"
#include "ScheduleList.h"
#include "clsRegistry.h"
#include "platform/Clock.h"
#include "platform/Host.h"
#include "platform/ProcessStarter.h"

namespace torvane::scheduler {

#ifdef _WIN32
inline constexpr std::string_view kUtilityExecutable = "Torvane.exe";
#else
inline constexpr std::string_view kUtilityExecutable = "Torvane";
#endif

// The utility is started as its folder + its executable name with the bare set name (as the
// folder listing gave it, no quotes, no folder) as the whole of its command line.
struct UtilityCommand {
    std::string program;  // drive path
    std::string argument;
};

UtilityCommand utilityCommand(const std::string& utilityFolder, const std::string& backupSet);

// The date one period of `frequency` after `from`; empty for "One Time" and unknown words.
std::optional<CalendarDate> nextDate(std::string_view frequency, CalendarDate from);

struct TickServices {
    ScheduleList& list;
    clsRegistry& registry;
    const platform::Clock& clock;
    platform::ProcessStarter& starter;
    const platform::Host& host;
    std::string utilityFolder;  // drive path ending in "\"
    // Appends a dated "Backup" record to the scheduler's log.
    std::function<void(const std::string&)> logBackup;
};

// One firing of the scheduler timer. An event due at this minute, or an enabled event whose
// date and time have already passed (the computer was off), is moved to its next date in the
// list and the store first, and only then is the utility started, so a start that fails is
// logged and never retried.
void SchedulerTick(TickServices& services);

}  // namespace torvane::scheduler
