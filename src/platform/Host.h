#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "DriveMap.h"
#include "DriveType.h"

namespace torvane::platform {

struct HostConfig {
    std::filesystem::path settingsFolder;    // per-user settings, holds Drives.ini
    std::filesystem::path executableFolder;  // the host folder of the running program
    std::filesystem::path mountTable = "/proc/mounts";
    std::filesystem::path sysBlock = "/sys/block";
    // Free bytes for the user below a folder; statvfs when empty. Tests fix it.
    std::function<std::optional<std::uint64_t>(const std::filesystem::path&)> freeSpace;

    // From XDG_CONFIG_HOME (or ~/.config) and the running executable.
    static HostConfig fromEnvironment();
};

// The host as the programs see it: Windows-style drive paths over the folders of Drives.ini.
// Every host call of the programs goes through here, so a Windows backend is one folder to add.
class Host {
public:
    explicit Host(HostConfig config);

    const HostConfig& config() const { return config_; }
    const DriveMap& drives() const { return drives_; }
    const std::filesystem::path& settingsFolder() const { return config_.settingsFolder; }

    std::optional<std::filesystem::path> resolve(std::string_view drivePath) const;
    std::optional<std::string> toDrivePath(const std::filesystem::path& hostPath) const;
    // Drive paths of many host paths below one folder, as toDrivePath gives them: the folder is
    // looked up once and the rest of each path appended, so naming a million files costs no
    // drive lookup each. Paths outside the folder are looked up as usual.
    std::function<std::string(const std::filesystem::path&)> drivePathNamer(const std::filesystem::path& folder) const;

    // The program folder as a drive path without a trailing backslash, e.g. C:\opt\Torvane.
    // Throws std::runtime_error when no mapped drive holds it.
    std::string programFolder() const;
    // The drive path of the host's /usr, the counterpart of the desktop's system folder.
    std::string systemFolder() const;

    // Type of a drive root such as "E:\" (only the letter and colon are read).
    DriveType driveType(std::string_view root) const;
    // Free bytes for the user on the drive of that letter; empty when it cannot be read.
    std::optional<std::uint64_t> freeBytes(char letter) const;

private:
    HostConfig config_;
    DriveMap drives_;
};

}  // namespace torvane::platform
