#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace torvane {

// "YYYYMMDD_HHNNSS", the name of the folder a time-stamped run writes into.
bool isStampFolder(std::string_view name);
// The folders of a destination (host path) with such a name; symlinks are not folders here.
std::vector<std::filesystem::path> stampFolders(const std::filesystem::path& destination);

// `folder` holds the archive `archiveName` (such as DAILY.zip) and its volumes (DAILY.z01 ...)
// and nothing else. Names compare case-blind, as on the drives the sets are written for.
bool holdsOnlyArchive(const std::filesystem::path& folder, const std::string& archiveName);

struct Removal {
    std::filesystem::path folder;
    std::string error;  // the host's reason when the folder could not be removed
};

// Removes the backups of a set beyond its newest `keep` (0 keeps all): among the time-stamped
// folders of `destination` that hold only that set's archive, the oldest by name, never one of
// `spared`. Only the archive's files are deleted, then the emptied folder, so nothing that came
// in after the check is lost. Returns the removals tried, oldest first.
std::vector<Removal> removeOldBackups(const std::filesystem::path& destination,
                                      const std::string& archiveName, unsigned keep,
                                      const std::vector<std::filesystem::path>& spared);

}  // namespace torvane
