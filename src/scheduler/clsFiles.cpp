#include "clsFiles.h"

#include <algorithm>
#include <iterator>
#include <system_error>

#include "ErrorDescription.h"
#include "modClassIDGenerator.h"
#include "platform/AsciiCase.h"
#include "platform/MountTable.h"

namespace torvane::scheduler {

namespace fs = std::filesystem;

namespace {

// File systems that hold no user files, only kernel views that are endless or self-referring.
constexpr std::string_view kPseudoFileSystems[] = {
    "proc",     "sysfs",     "devtmpfs", "devpts",     "cgroup",     "cgroup2",   "securityfs", "debugfs",
    "tracefs",  "pstore",    "bpf",      "configfs",   "fusectl",    "mqueue",    "hugetlbfs",  "binfmt_misc",
    "efivarfs", "autofs",    "nsfs",     "rpc_pipefs", "selinuxfs", "fuse.gvfsd-fuse"};

std::vector<std::string> pseudoMountPoints(const fs::path& mountTable) {
    std::vector<std::string> points;
    const platform::MountTable table = platform::MountTable::load(mountTable);
    for (const auto& entry : table.entries()) {
        if (std::find(std::begin(kPseudoFileSystems), std::end(kPseudoFileSystems), entry.fsType) !=
            std::end(kPseudoFileSystems))
            points.push_back(fs::path(entry.mountPoint).lexically_normal().string());
    }
    return points;
}

bool isPseudoMount(const fs::path& folder, const std::vector<std::string>& pseudoMounts) {
    const std::string normal = folder.lexically_normal().string();
    return std::find(pseudoMounts.begin(), pseudoMounts.end(), normal) != pseudoMounts.end();
}

}  // namespace

clsFiles::clsFiles(const platform::Host& host, fs::path currentFolder)
    : host_(host), currentFolder_(std::move(currentFolder)), classDebugId_(NextClassDebugID()) {}

std::string clsFiles::StripNull(std::string_view WhatStr) {
    return std::string(WhatStr.substr(0, WhatStr.find('\0')));
}

std::string clsFiles::GetRDP(std::string_view sPath) {
    std::string path(sPath);
    if (!path.empty() && path.back() != '\\') path += '\\';
    return path;
}

std::string clsFiles::Backup_Parts(std::string_view sPath, int iType) const {
    const auto lastSlash = sPath.rfind('\\');
    switch (iType) {
        case 0:
            if (sPath != "\\" && sPath.size() >= 2 && sPath[1] == ':') return std::string(sPath.substr(0, 3));
            return host_.programFolder().substr(0, 2) + "\\";
        case 1:
            if (lastSlash == std::string_view::npos || lastSlash == 0) return {};
            return std::string(sPath.substr(0, lastSlash + 1));
        case 2:
            if (lastSlash == 0) return {};
            if (lastSlash == std::string_view::npos) return std::string(sPath);
            return std::string(sPath.substr(lastSlash + 1));
        default:
            return {};
    }
}

std::string clsFiles::FindFile(const std::string& FileName, const std::string& Path) const {
    try {
        for (const fs::path& first : {currentFolder_, host_.config().executableFolder}) {
            if (first.empty()) continue;
            if (const auto drivePath = host_.toDrivePath(first)) {
                const std::string found = findIn(FileName, *drivePath, first);
                if (!found.empty()) return found;
            }
        }
        const auto root = host_.resolve(GetRDP(Path));
        if (!root) return {};
        return walk(FileName, Path, *root, pseudoMountPoints(host_.config().mountTable));
    } catch (const std::exception&) {
        raiseSchedulerError("clsFiles:FindFile Method");
    }
}

std::string clsFiles::findIn(const std::string& fileName, const std::string& drivePath,
                             const fs::path& hostFolder) const {
    std::error_code ec;
    for (fs::directory_iterator it(hostFolder, fs::directory_options::skip_permission_denied, ec), end;
         !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (platform::iequals(name, fileName) && it->is_regular_file(ec)) return GetRDP(drivePath) + name;
    }
    return {};
}

std::string clsFiles::walk(const std::string& fileName, const std::string& drivePath, const fs::path& hostFolder,
                           const std::vector<std::string>& pseudoMounts) const {
    const std::string here = findIn(fileName, drivePath, hostFolder);
    if (!here.empty()) return here;
    std::error_code ec;
    for (fs::directory_iterator it(hostFolder, fs::directory_options::skip_permission_denied, ec), end;
         !ec && it != end; it.increment(ec)) {
        std::error_code statError;
        if (it->is_symlink(statError) || !it->is_directory(statError)) continue;
        if (isPseudoMount(it->path(), pseudoMounts)) continue;
        const std::string found =
            walk(fileName, GetRDP(drivePath) + it->path().filename().string(), it->path(), pseudoMounts);
        if (!found.empty()) return found;
    }
    return {};
}

}  // namespace torvane::scheduler
