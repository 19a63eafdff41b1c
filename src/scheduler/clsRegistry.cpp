#include "clsRegistry.h"

#include "ScheduleDate.h"
#include "ErrorDescription.h"
#include "modClassIDGenerator.h"

namespace torvane::scheduler {

namespace {

constexpr int kMaxEntries = 100000;

// Renumbering rewrites dates and times in the one short format; text that is not a date or
// time (a hand-edited store) is carried over as it is rather than lost.
std::string normalisedDate(const std::string& text) {
    const auto date = parseShortDate(text);
    return date ? formatShortDate(*date) : text;
}

std::string normalisedTime(const std::string& text) {
    const auto time = parseShortTime(text);
    return time ? formatShortTime(*time) : text;
}

}  // namespace

std::string itemSection(int itemNumber) { return "Item" + std::to_string(itemNumber); }

clsRegistry::clsRegistry(platform::SettingsStore& store) : store_(store), classDebugId_(NextClassDebugID()) {}

void clsRegistry::Load(ScheduleList& list) const {
    for (int n = 1; n <= kMaxEntries; ++n) {
        const std::string section = itemSection(n);
        ScheduleRow row;
        row.backupSet = store_.get(section, "BackupSet");
        if (row.backupSet.empty()) break;
        row.schedule = store_.get(section, "Schedule");
        row.date = store_.get(section, "Date");
        row.time = store_.get(section, "Time");
        row.status = store_.get(section, "Status");
        list.addRow(row);
    }
}

void clsRegistry::SaveEntry(int itemNumber, const ScheduleRow& row) {
    const std::string section = itemSection(itemNumber);
    store_.save(section, "BackupSet", row.backupSet);
    store_.save(section, "Schedule", row.schedule);
    store_.save(section, "Date", row.date);
    store_.save(section, "Time", row.time);
    store_.save(section, "Status", row.status);
}

void clsRegistry::SaveValue(int itemNumber, std::string_view key, const std::string& value) {
    store_.save(itemSection(itemNumber), key, value);
}

void clsRegistry::DeleteEntry(std::int32_t lItemNumber, const ScheduleList& list) {
    try {
        SaveEntry(lItemNumber, ScheduleRow{});
        const int rowCount = list.count();
        for (int i = lItemNumber; i < rowCount; ++i) {
            const std::string next = itemSection(i + 1);
            ScheduleRow moved;
            moved.backupSet = store_.get(next, "BackupSet");
            moved.schedule = store_.get(next, "Schedule");
            moved.date = normalisedDate(store_.get(next, "Date"));
            moved.time = normalisedTime(store_.get(next, "Time"));
            moved.status = store_.get(next, "Status");
            SaveEntry(i, moved);
            store_.deleteSection(next);
        }
    } catch (const std::exception&) {
        raiseSchedulerError("clsRegistry:DeleteEntry Method");
    }
}

std::string clsRegistry::UtilityPath() const { return store_.get(kPathsSection, kUtilityKey); }

void clsRegistry::SaveUtilityPath(const std::string& path) { store_.save(kPathsSection, kUtilityKey, path); }

}  // namespace torvane::scheduler
