#include "MountTable.h"

#include <array>
#include <fstream>
#include <sstream>

namespace torvane::platform {

namespace {

// Mount tables escape blanks and backslashes in paths as three octal digits.
std::string unescape(std::string_view field) {
    std::string out;
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const std::string_view oct = field.substr(i + 1, 3);
            if (oct[0] >= '0' && oct[0] <= '3' && oct[1] >= '0' && oct[1] <= '7' &&
                oct[2] >= '0' && oct[2] <= '7') {
                out += static_cast<char>((oct[0] - '0') * 64 + (oct[1] - '0') * 8 + (oct[2] - '0'));
                i += 3;
                continue;
            }
        }
        out += field[i];
    }
    return out;
}

bool isUnder(const std::filesystem::path& path, const std::filesystem::path& prefix) {
    auto p = path.begin();
    for (auto q = prefix.begin(); q != prefix.end(); ++q, ++p) {
        if (q->empty()) continue;  // a trailing separator
        if (p == path.end() || *p != *q) return false;
    }
    return true;
}

bool readsOne(const std::filesystem::path& flag) {
    std::ifstream in(flag);
    char c = 0;
    return in.get(c) && c == '1';
}

}  // namespace

MountTable MountTable::parse(std::string_view text) {
    MountTable table;
    std::istringstream in{std::string(text)};
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string device, mountPoint, fsType;
        if (!(fields >> device >> mountPoint >> fsType)) continue;
        table.entries_.push_back({unescape(device), unescape(mountPoint), fsType});
    }
    return table;
}

MountTable MountTable::load(const std::filesystem::path& file) {
    std::ifstream in(file);
    if (!in) return {};
    std::ostringstream text;
    text << in.rdbuf();
    return parse(text.str());
}

const MountEntry* MountTable::mountOf(const std::filesystem::path& hostPath) const {
    const MountEntry* best = nullptr;
    size_t bestLength = 0;
    const std::filesystem::path normal = hostPath.lexically_normal();
    // Later entries win on equal mount points: they are mounted over the earlier ones.
    for (const MountEntry& e : entries_) {
        const std::filesystem::path mp = std::filesystem::path(e.mountPoint).lexically_normal();
        if (!isUnder(normal, mp)) continue;
        const size_t length = mp.string().size();
        if (!best || length >= bestLength) {
            best = &e;
            bestLength = length;
        }
    }
    return best;
}

DriveType classifyMount(const MountEntry& entry, const std::filesystem::path& sysBlock) {
    const std::string& fs = entry.fsType;
    if (fs == "tmpfs" || fs == "ramfs") return kDriveRamDisk;
    if (fs == "iso9660" || fs == "udf") return kDriveCdRom;
    static const std::array<std::string_view, 16> remote = {
        "nfs",  "nfs4",      "cifs",      "smb3",  "smbfs",          "sshfs",        "fuse.sshfs",
        "9p",   "afs",       "ceph",      "davfs", "fuse.glusterfs", "glusterfs",    "ncpfs",
        "coda", "fuse.rclone"};
    for (std::string_view r : remote)
        if (fs == r) return kDriveRemote;

    const std::string prefix = "/dev/";
    if (entry.device.rfind(prefix, 0) == 0) {
        const std::string name = entry.device.substr(prefix.size());
        if (readsOne(sysBlock / name / "removable")) return kDriveRemovable;
        // A partition (sdb1, mmcblk0p1, nvme0n1p2) carries the flag on its whole disk.
        std::string disk = name;
        while (!disk.empty() && disk.back() >= '0' && disk.back() <= '9') disk.pop_back();
        if (disk.size() > 1 && disk.back() == 'p' && disk[disk.size() - 2] >= '0' &&
            disk[disk.size() - 2] <= '9')
            disk.pop_back();
        if (!disk.empty() && disk != name && readsOne(sysBlock / disk / "removable"))
            return kDriveRemovable;
    }
    return kDriveFixed;
}

}  // namespace torvane::platform
