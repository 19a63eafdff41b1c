#include "DriveMap.h"

#include <algorithm>
#include <system_error>

#include "AsciiCase.h"
#include "ProfileFile.h"

namespace torvane::platform {

namespace {

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

bool isLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// The name in `folder` that stands for `component`: the exact name when it exists, else the
// first entry in listing order that matches without regard to case.
std::optional<std::string> matchComponent(const std::filesystem::path& folder,
                                          const std::string& component) {
    std::error_code ec;
    if (std::filesystem::exists(std::filesystem::symlink_status(folder / component, ec)))
        return component;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (iequals(name, component)) return name;
    }
    return std::nullopt;
}

}  // namespace

std::optional<DriveType> parseDriveTypeWord(std::string_view word) {
    const std::string w = asciiUpper(trim(word));
    if (w == "REMOVABLE") return kDriveRemovable;
    if (w == "FIXED") return kDriveFixed;
    if (w == "REMOTE") return kDriveRemote;
    if (w == "CDROM") return kDriveCdRom;
    if (w == "RAMDISK") return kDriveRamDisk;
    return std::nullopt;
}

DriveMap DriveMap::load(const std::filesystem::path& drivesIni) {
    std::error_code ec;
    if (!std::filesystem::exists(drivesIni, ec)) return fromMappings({{'C', "/", std::nullopt}});
    const ProfileFile file(drivesIni);
    std::vector<DriveMapping> mappings;
    for (const std::string& key : file.keys("Drives")) {
        if (key.size() != 1 || !isLetter(key[0])) continue;
        const std::string value = file.get("Drives", key);
        const size_t comma = value.find(',');
        const std::string folder(trim(std::string_view(value).substr(0, comma)));
        if (folder.empty()) continue;
        std::optional<DriveType> type;
        if (comma != std::string::npos) type = parseDriveTypeWord(std::string_view(value).substr(comma + 1));
        mappings.push_back({asciiUpper(key[0]), std::filesystem::path(folder), type});
    }
    return fromMappings(std::move(mappings));
}

DriveMap DriveMap::fromMappings(std::vector<DriveMapping> mappings) {
    DriveMap map;
    for (DriveMapping& m : mappings) {
        m.letter = asciiUpper(m.letter);
        if (!map.find(m.letter)) map.mappings_.push_back(std::move(m));
    }
    std::sort(map.mappings_.begin(), map.mappings_.end(),
              [](const DriveMapping& a, const DriveMapping& b) { return a.letter < b.letter; });
    return map;
}

const DriveMapping* DriveMap::find(char letter) const {
    const char up = asciiUpper(letter);
    for (const DriveMapping& m : mappings_)
        if (m.letter == up) return &m;
    return nullptr;
}

std::optional<std::filesystem::path> DriveMap::resolve(std::string_view drivePath) const {
    if (drivePath.size() < 2 || drivePath[1] != ':' || !isLetter(drivePath[0])) return std::nullopt;
    const DriveMapping* drive = find(drivePath[0]);
    if (!drive) return std::nullopt;

    std::vector<std::string> components;
    std::string current;
    auto flush = [&] {
        if (current == "..") {
            if (!components.empty()) components.pop_back();
        } else if (!current.empty() && current != ".") {
            components.push_back(current);
        }
        current.clear();
    };
    for (char c : drivePath.substr(2)) {
        if (c == '\\' || c == '/') flush();
        else current += c;
    }
    flush();

    std::filesystem::path host = drive->hostRoot;
    bool matching = true;
    for (const std::string& component : components) {
        if (matching) {
            if (const auto name = matchComponent(host, component)) {
                host /= *name;
                continue;
            }
            matching = false;
        }
        host /= component;
    }
    return host;
}

std::optional<std::string> DriveMap::toDrivePath(const std::filesystem::path& hostPath) const {
    const std::filesystem::path path = hostPath.lexically_normal();
    const DriveMapping* best = nullptr;
    std::filesystem::path bestRest;
    size_t bestDepth = 0;
    for (const DriveMapping& m : mappings_) {
        const std::filesystem::path root = m.hostRoot.lexically_normal();
        const std::filesystem::path rest = path.lexically_relative(root);
        if (rest.empty() || *rest.begin() == "..") continue;
        const size_t depth = static_cast<size_t>(std::distance(root.begin(), root.end()));
        if (!best || depth > bestDepth) {
            best = &m;
            bestRest = rest;
            bestDepth = depth;
        }
    }
    if (!best) return std::nullopt;
    std::string out{best->letter, ':', '\\'};
    bool first = true;
    for (const auto& part : bestRest) {
        if (part == "." || part.empty()) continue;
        if (!first) out += '\\';
        out += part.string();
        first = false;
    }
    return out;
}

}  // namespace torvane::platform
