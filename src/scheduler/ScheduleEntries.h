#pragma once

#include <string>
#include <vector>

#include "ScheduleList.h"
#include "clsRegistry.h"
#include "platform/Clock.h"
#include "platform/Host.h"

namespace torvane::scheduler {

enum class SaveOutcome { Saved, NoBackupSet, Duplicate, PastOneTime, StoreChanged };

// The first row equal to `candidate` in set, frequency, date and time (status is not compared),
// 1-based; 0 when there is none.
int findDuplicate(const ScheduleList& list, const ScheduleRow& candidate);

// Makes `row` fall due no earlier than `now` (the current minute counts as not yet passed): a
// repeating event whose moment has passed moves on by its period until it is ahead; false for a
// "One Time" event whose moment has passed.
bool settleIntoTheFuture(ScheduleRow& row, const platform::LocalDateTime& now);

// Adds the event at the end of store and list, always "Enabled". The store is written first: a
// failure there throws and leaves the list as it was.
SaveOutcome AddEntry(ScheduleList& list, clsRegistry& registry, ScheduleRow candidate,
                     const platform::LocalDateTime& now);
// Rewrites row `index` and its entry, always "Enabled", which re-arms a completed event. Only
// the values the user changed from `shown` (the row as the dialog opened with it) are taken, so a
// row the timer moved on meanwhile keeps its new date. An empty set is refused as in AddEntry:
// stored, it would end the schedule and hide later events. Store first, as in AddEntry.
SaveOutcome EditEntry(ScheduleList& list, clsRegistry& registry, int index,
                      const ScheduleRow& shown, const ScheduleRow& entered,
                      const platform::LocalDateTime& now);
// Removes row `index` from store and list; returns the row to select afterwards (0: none).
int DeleteRow(ScheduleList& list, clsRegistry& registry, int index);

// The backup set files ("*.INI", any case) of the utility folder, in listing order.
std::vector<std::string> backupSetsIn(const platform::Host& host, const std::string& utilityFolder);
// Whether the utility folder holds the set file a row names.
bool backupSetExists(const platform::Host& host, const std::string& utilityFolder,
                     const std::string& backupSet);

}  // namespace torvane::scheduler
