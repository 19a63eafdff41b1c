#pragma once

#include <cstdint>
#include <string>

#include "ScheduleList.h"
#include "platform/SettingsStore.h"

namespace torvane::scheduler {

inline constexpr std::string_view kSchedulerApplication = "Torvane Scheduler";
inline constexpr std::string_view kPathsSection = "Paths";
inline constexpr std::string_view kUtilityKey = "Torvane";

std::string itemSection(int itemNumber);

// The schedule in the per-user settings store: one section "Item" + n per event, numbered
// from 1 without gaps, and the remembered location of the utility.
class clsRegistry {
public:
    explicit clsRegistry(platform::SettingsStore& store);

    std::int32_t ClassDebugID() const { return classDebugId_; }

    // Fills the list from Item1 on; the first entry with an empty "BackupSet" ends the schedule.
    void Load(ScheduleList& list) const;
    // The five values of one event, in the order the store has always received them.
    void SaveEntry(int itemNumber, const ScheduleRow& row);
    void SaveValue(int itemNumber, std::string_view key, const std::string& value);
    // Removes entry `lItemNumber` while its row is still in `list` and moves every later entry
    // down by one, so that entry numbers keep matching list rows.
    void DeleteEntry(std::int32_t lItemNumber, const ScheduleList& list);

    std::string UtilityPath() const;
    void SaveUtilityPath(const std::string& path);

private:
    platform::SettingsStore& store_;
    std::int32_t classDebugId_;
};

}  // namespace torvane::scheduler
