#include "clsRegistry.h"

#include "common/TorvaneError.h"
#include "ScheduleDate.h"
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

ScheduleRow entryOf(const platform::ProfileDocument& store, int itemNumber) {
    const std::string section = itemSection(itemNumber);
    return {store.get(section, "BackupSet"), store.get(section, "Schedule"),
            store.get(section, "Date"), store.get(section, "Time"), store.get(section, "Status")};
}

void putEntry(platform::ProfileDocument& store, int itemNumber, const ScheduleRow& row) {
    const std::string section = itemSection(itemNumber);
    store.set(section, "BackupSet", row.backupSet);
    store.set(section, "Schedule", row.schedule);
    store.set(section, "Date", row.date);
    store.set(section, "Time", row.time);
    store.set(section, "Status", row.status);
}

}  // namespace

std::string itemSection(int itemNumber) { return "Item" + std::to_string(itemNumber); }

clsRegistry::clsRegistry(platform::SettingsStore& store)
    : store_(store), classDebugId_(NextClassDebugID()) {}

void clsRegistry::Load(ScheduleList& list) const {
    const platform::ProfileDocument store = store_.document();
    for (int n = 1; n <= kMaxEntries; ++n) {
        ScheduleRow row = entryOf(store, n);
        if (row.backupSet.empty()) break;
        row.date = normalisedDate(row.date);
        row.time = normalisedTime(row.time);
        list.addRow(row);
    }
}

void clsRegistry::SaveEntry(int itemNumber, const ScheduleRow& row) {
    platform::ProfileDocument store = store_.document();
    putEntry(store, itemNumber, row);
    store_.saveDocument(store);
}

bool clsRegistry::SaveNewEntry(int itemNumber, const ScheduleRow& row) {
    platform::ProfileDocument store = store_.document();
    if (!store.get(itemSection(itemNumber), "BackupSet").empty()) return false;
    putEntry(store, itemNumber, row);
    store_.saveDocument(store);
    return true;
}

void clsRegistry::SaveValue(int itemNumber, std::string_view key, const std::string& value) {
    platform::ProfileDocument store = store_.document();
    store.set(itemSection(itemNumber), key, value);
    store_.saveDocument(store);
}

void clsRegistry::DeleteEntry(std::int32_t lItemNumber, const ScheduleList& list) {
    wrapErrors("clsRegistry:DeleteEntry Method", [&] {
        platform::ProfileDocument store = store_.document();
        putEntry(store, lItemNumber, ScheduleRow{});
        const int rowCount = list.count();
        for (int i = lItemNumber; i < rowCount; ++i) {
            ScheduleRow moved = entryOf(store, i + 1);
            moved.date = normalisedDate(moved.date);
            moved.time = normalisedTime(moved.time);
            putEntry(store, i, moved);
            store.removeSection(itemSection(i + 1));
        }
        store_.saveDocument(store);
    });
}

std::string clsRegistry::UtilityPath() const { return store_.get(kPathsSection, kUtilityKey); }

void clsRegistry::SaveUtilityPath(const std::string& path) {
    store_.save(kPathsSection, kUtilityKey, path);
}

}  // namespace torvane::scheduler
