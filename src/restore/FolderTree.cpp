#include "FolderTree.h"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <system_error>
#include <utility>

#include "backupsets/clsString.h"
#include "platform/AsciiCase.h"

namespace torvane {

namespace {

// Calls `found` with each subfolder's name until it answers false. The entry's own type is
// used, so a symlink is never taken for the folder it points at.
void eachSubfolder(const platform::Host& host, const std::string& drivePath,
                   const std::function<bool(std::string)>& found) {
    const auto folder = host.resolve(drivePath);
    if (!folder) return;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(*folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        std::error_code typeEc;
        if (it->symlink_status(typeEc).type() != std::filesystem::file_type::directory) continue;
        if (!found(it->path().filename().string())) return;
    }
}

}  // namespace

FolderTree::FolderTree(const platform::Host& host) : host_(host) {}

std::vector<FolderNode> FolderTree::subfolders(const std::string& drivePath) const {
    std::vector<std::pair<std::string, std::string>> keyed;  // upper case, name
    eachSubfolder(host_, drivePath, [&](std::string name) {
        keyed.emplace_back(platform::asciiUpper(name), std::move(name));
        return true;
    });
    std::sort(keyed.begin(), keyed.end());
    const std::string base = clsString::Backslash(drivePath);
    std::vector<FolderNode> nodes;
    nodes.reserve(keyed.size());
    for (auto& [key, name] : keyed) nodes.push_back({name, base + name});
    return nodes;
}

bool FolderTree::hasSubfolders(const std::string& drivePath) const {
    bool any = false;
    eachSubfolder(host_, drivePath, [&](std::string) {
        any = true;
        return false;
    });
    return any;
}

}  // namespace torvane
