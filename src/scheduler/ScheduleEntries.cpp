#include "ScheduleEntries.h"

#include <filesystem>
#include <system_error>
#include <utility>

#include "ScheduleDate.h"
#include "SchedulerTick.h"
#include "platform/AsciiCase.h"

namespace torvane::scheduler {

namespace fs = std::filesystem;

int findDuplicate(const ScheduleList& list, const ScheduleRow& candidate) {
    for (int index = 1; index <= list.count(); ++index) {
        const ScheduleRow row = list.row(index);
        if (row.backupSet == candidate.backupSet && row.schedule == candidate.schedule &&
            row.date == candidate.date && row.time == candidate.time)
            return index;
    }
    return 0;
}

bool settleIntoTheFuture(ScheduleRow& row, const platform::LocalDateTime& now) {
    auto date = parseShortDate(row.date);
    const auto time = parseShortTime(row.time);
    if (!date || !time) return true;
    const auto moment = std::pair(dateOf(now), timeOf(now));
    if (std::pair(*date, *time) >= moment) return true;
    if (row.schedule == kOneTime) return false;
    while (std::pair(*date, *time) < moment) {
        const auto next = nextDate(row.schedule, *date);
        if (!next) return true;
        date = next;
    }
    row.date = formatShortDate(*date);
    return true;
}

SaveOutcome AddEntry(ScheduleList& list, clsRegistry& registry, ScheduleRow candidate,
                     const platform::LocalDateTime& now) {
    if (candidate.backupSet.empty()) return SaveOutcome::NoBackupSet;
    candidate.status = kEnabled;
    if (!settleIntoTheFuture(candidate, now)) return SaveOutcome::PastOneTime;
    if (findDuplicate(list, candidate) != 0) return SaveOutcome::Duplicate;
    if (!registry.SaveNewEntry(list.count() + 1, candidate)) return SaveOutcome::StoreChanged;
    list.addRow(candidate);
    return SaveOutcome::Saved;
}

SaveOutcome EditEntry(ScheduleList& list, clsRegistry& registry, int index,
                      const ScheduleRow& shown, const ScheduleRow& entered,
                      const platform::LocalDateTime& now) {
    if (entered.backupSet.empty()) return SaveOutcome::NoBackupSet;
    ScheduleRow edited = list.row(index);
    const auto take = [](std::string& current, const std::string& was, const std::string& is) {
        if (is != was) current = is;
    };
    take(edited.backupSet, shown.backupSet, entered.backupSet);
    take(edited.schedule, shown.schedule, entered.schedule);
    take(edited.date, shown.date, entered.date);
    take(edited.time, shown.time, entered.time);
    edited.status = kEnabled;
    if (!settleIntoTheFuture(edited, now)) return SaveOutcome::PastOneTime;
    if (findDuplicate(list, edited) != 0) return SaveOutcome::Duplicate;
    registry.SaveEntry(index, edited);
    list.setRow(index, edited);
    return SaveOutcome::Saved;
}

int DeleteRow(ScheduleList& list, clsRegistry& registry, int index) {
    registry.DeleteEntry(index, list);
    list.removeRow(index);
    if (index == 1) return list.count() > 0 ? 1 : 0;
    return index - 1;
}

std::vector<std::string> backupSetsIn(const platform::Host& host,
                                      const std::string& utilityFolder) {
    std::vector<std::string> sets;
    if (utilityFolder.empty()) return sets;
    const auto folder = host.resolve(utilityFolder);
    if (!folder) return sets;
    std::error_code ec;
    for (fs::directory_iterator it(*folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        std::error_code typeError;
        if (name.size() > 4 && platform::iequals(name.substr(name.size() - 4), ".INI") &&
            it->is_regular_file(typeError))
            sets.push_back(name);
    }
    return sets;
}

bool backupSetExists(const platform::Host& host, const std::string& utilityFolder,
                     const std::string& backupSet) {
    if (utilityFolder.empty() || backupSet.empty()) return false;
    const auto file = host.resolve(utilityFolder + backupSet);
    std::error_code ec;
    return file && fs::is_regular_file(*file, ec);
}

}  // namespace torvane::scheduler
