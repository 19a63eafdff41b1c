#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "DriveType.h"

namespace torvane::platform {

struct DriveMapping {
    char letter;                     // upper case
    std::filesystem::path hostRoot;  // the folder the letter stands for
    std::optional<DriveType> type;   // fixed by the map, else read from the mount table
};

// Drive letters and the host folders they stand for, from the per-user file Drives.ini:
//   [Drives]
//   C=/
//   E=/media/alice/STICK, removable
class DriveMap {
public:
    // A missing file gives the default map, C=/.
    static DriveMap load(const std::filesystem::path& drivesIni);
    static DriveMap fromMappings(std::vector<DriveMapping> mappings);

    const DriveMapping* find(char letter) const;
    // Sorted by letter.
    const std::vector<DriveMapping>& mappings() const { return mappings_; }

    // "C:\TMP\X\DATA" -> host path; each existing component matched without regard to ASCII
    // case, missing ones kept as written. Empty for a path without a mapped drive letter.
    std::optional<std::filesystem::path> resolve(std::string_view drivePath) const;
    // Host path -> drive path through the mapped folder that is its longest prefix.
    std::optional<std::string> toDrivePath(const std::filesystem::path& hostPath) const;

private:
    std::vector<DriveMapping> mappings_;
};

std::optional<DriveType> parseDriveTypeWord(std::string_view word);

}  // namespace torvane::platform
