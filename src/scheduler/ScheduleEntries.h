#pragma once

#include <string>
#include <vector>

#include "ScheduleList.h"
#include "clsRegistry.h"
#include "platform/Host.h"

namespace torvane::scheduler {

enum class SaveOutcome { Saved, NoBackupSet, Duplicate };

// The first row equal to `candidate` in set, frequency, date and time (status is not compared),
// 1-based; 0 when there is none.
int findDuplicate(const ScheduleList& list, const ScheduleRow& candidate);

// Adds the event at the end of list and store, always "Enabled".
SaveOutcome AddEntry(ScheduleList& list, clsRegistry& registry, ScheduleRow candidate);
// Rewrites row `index` and its entry, always "Enabled", which re-arms a completed event. An
// empty set is refused as in AddEntry: stored, it would end the schedule and hide later events.
SaveOutcome EditEntry(ScheduleList& list, clsRegistry& registry, int index, ScheduleRow candidate);
// Removes row `index` from store and list; returns the row to select afterwards (0: none).
int DeleteRow(ScheduleList& list, clsRegistry& registry, int index);

// The backup set files ("*.INI", any case) of the utility folder, in listing order.
std::vector<std::string> backupSetsIn(const platform::Host& host, const std::string& utilityFolder);
// Whether the utility folder holds the set file a row names.
bool backupSetExists(const platform::Host& host, const std::string& utilityFolder, const std::string& backupSet);

}  // namespace torvane::scheduler
