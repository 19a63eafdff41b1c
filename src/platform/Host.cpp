#include "Host.h"

#include <algorithm>

#include <sys/statvfs.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>
#include <system_error>

#include "MountTable.h"

namespace torvane::platform {

HostConfig HostConfig::fromEnvironment() {
    HostConfig config;
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && *xdg) {
        config.settingsFolder = std::filesystem::path(xdg) / "Torvane";
    } else {
        const char* home = std::getenv("HOME");
        config.settingsFolder = std::filesystem::path(home && *home ? home : "/tmp") / ".config" / "Torvane";
    }
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    config.executableFolder = ec ? std::filesystem::current_path() : exe.parent_path();
    return config;
}

Host::Host(HostConfig config)
    : config_(std::move(config)), drives_(DriveMap::load(config_.settingsFolder / "Drives.ini")) {}

std::optional<std::filesystem::path> Host::resolve(std::string_view drivePath) const {
    return drives_.resolve(drivePath);
}

std::optional<std::string> Host::toDrivePath(const std::filesystem::path& hostPath) const {
    return drives_.toDrivePath(hostPath);
}

namespace {

// True when a relative path has no empty, "." or ".." component, so normalising leaves it as is.
bool plainRest(std::string_view rest) {
    for (size_t start = 0;;) {
        const size_t end = std::min(rest.find('/', start), rest.size());
        const std::string_view part = rest.substr(start, end - start);
        if (part.empty() || part == "." || part == "..") return false;
        if (end == rest.size()) return true;
        start = end + 1;
    }
}

}  // namespace

std::function<std::string(const std::filesystem::path&)> Host::drivePathNamer(
    const std::filesystem::path& folder) const {
    std::string hostFolder = folder.string();
    if (hostFolder.empty() || hostFolder.back() != '/') hostFolder += '/';
    const auto drive = toDrivePath(folder);
    std::string driveFolder = drive.value_or("");
    if (!driveFolder.empty() && driveFolder.back() != '\\') driveFolder += '\\';
    return [this, hostFolder, driveFolder](const std::filesystem::path& p) {
        const std::string& text = p.native();
        if (driveFolder.empty() || text.size() <= hostFolder.size() ||
            text.compare(0, hostFolder.size(), hostFolder) != 0 ||
            !plainRest(std::string_view(text).substr(hostFolder.size())))
            return toDrivePath(p).value_or(text);
        std::string shown = driveFolder;
        shown.append(text, hostFolder.size());
        std::replace(shown.begin() + static_cast<std::ptrdiff_t>(driveFolder.size()), shown.end(), '/', '\\');
        return shown;
    };
}

std::string Host::programFolder() const {
    auto path = drives_.toDrivePath(config_.executableFolder);
    if (!path) {
        std::error_code ec;
        path = drives_.toDrivePath(std::filesystem::weakly_canonical(config_.executableFolder, ec));
    }
    if (!path)
        throw std::runtime_error("The program folder " + config_.executableFolder.string() +
                                 " is on no drive of Drives.ini");
    if (path->size() == 3) path->pop_back();  // "C:\" -> "C:" so that joining adds the one "\"
    return *path;
}

std::string Host::systemFolder() const { return toDrivePath("/usr").value_or("C:\\usr"); }

DriveType Host::driveType(std::string_view root) const {
    if (root.size() < 2 || root[1] != ':') return kDriveNoRoot;
    const DriveMapping* drive = drives_.find(root[0]);
    if (!drive) return kDriveNoRoot;
    std::error_code ec;
    if (!std::filesystem::is_directory(drive->hostRoot, ec)) return kDriveNoRoot;
    if (drive->type) return *drive->type;
    const MountTable table = MountTable::load(config_.mountTable);
    auto folder = std::filesystem::weakly_canonical(drive->hostRoot, ec);
    if (ec) folder = drive->hostRoot;
    const MountEntry* mount = table.mountOf(folder);
    return mount ? classifyMount(*mount, config_.sysBlock) : kDriveFixed;
}

std::optional<std::uint64_t> Host::freeBytes(char letter) const {
    const DriveMapping* drive = drives_.find(letter);
    if (!drive) return std::nullopt;
    if (config_.freeSpace) return config_.freeSpace(drive->hostRoot);
    struct statvfs st {};
    if (::statvfs(drive->hostRoot.c_str(), &st) != 0) return std::nullopt;
    return static_cast<std::uint64_t>(st.f_bavail) * static_cast<std::uint64_t>(st.f_frsize);
}

}  // namespace torvane::platform
