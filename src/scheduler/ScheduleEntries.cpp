#include "ScheduleEntries.h"

#include <filesystem>
#include <system_error>

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

SaveOutcome AddEntry(ScheduleList& list, clsRegistry& registry, ScheduleRow candidate) {
    if (candidate.backupSet.empty()) return SaveOutcome::NoBackupSet;
    if (findDuplicate(list, candidate) != 0) return SaveOutcome::Duplicate;
    candidate.status = kEnabled;
    const int itemNumber = list.count() + 1;
    list.addRow(candidate);
    registry.SaveEntry(itemNumber, candidate);
    return SaveOutcome::Saved;
}

SaveOutcome EditEntry(ScheduleList& list, clsRegistry& registry, int index, ScheduleRow candidate) {
    if (candidate.backupSet.empty()) return SaveOutcome::NoBackupSet;
    if (findDuplicate(list, candidate) != 0) return SaveOutcome::Duplicate;
    candidate.status = kEnabled;
    list.setRow(index, candidate);
    registry.SaveEntry(index, candidate);
    return SaveOutcome::Saved;
}

int DeleteRow(ScheduleList& list, clsRegistry& registry, int index) {
    registry.DeleteEntry(index, list);
    list.removeRow(index);
    if (index == 1) return list.count() > 0 ? 1 : 0;
    return index - 1;
}

std::vector<std::string> backupSetsIn(const platform::Host& host, const std::string& utilityFolder) {
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

bool backupSetExists(const platform::Host& host, const std::string& utilityFolder, const std::string& backupSet) {
    if (utilityFolder.empty() || backupSet.empty()) return false;
    const auto file = host.resolve(utilityFolder + backupSet);
    std::error_code ec;
    return file && fs::is_regular_file(*file, ec);
}

}  // namespace torvane::scheduler
