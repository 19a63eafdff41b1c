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
    // Dates and times are shown in the fixed forms however the store spells them. A store that
    // cannot be read throws std::system_error and leaves the list empty.
    void Load(ScheduleList& list) const;
    // The five values of one event, in one write of the store.
    void SaveEntry(int itemNumber, const ScheduleRow& row);
    // As SaveEntry for a new event; false, writing nothing, when that entry already holds an
    // event (the store is no longer the one the list was loaded from).
    bool SaveNewEntry(int itemNumber, const ScheduleRow& row);
    void SaveValue(int itemNumber, std::string_view key, const std::string& value);
    // Removes entry `lItemNumber` while its row is still in `list` and moves every later entry
    // down by one, so that entry numbers keep matching list rows: one read, one write. A failure
    // is raised with the host's reason and writes nothing.
    void DeleteEntry(std::int32_t lItemNumber, const ScheduleList& list);

    std::string UtilityPath() const;
    void SaveUtilityPath(const std::string& path);

  private:
    platform::SettingsStore& store_;
    std::int32_t classDebugId_;
};

}  // namespace torvane::scheduler
