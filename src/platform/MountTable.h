#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "DriveType.h"

namespace torvane::platform {

struct MountEntry {
    std::string device;
    std::string mountPoint;
    std::string fsType;
};

// The host's table of mounted file systems (the /proc/mounts format), used to tell what kind
// of drive a mapped folder lives on.
class MountTable {
public:
    static MountTable parse(std::string_view text);
    // A missing or unreadable file gives an empty table.
    static MountTable load(const std::filesystem::path& file);

    // The entry whose mount point is the longest prefix of `hostPath`, or null.
    const MountEntry* mountOf(const std::filesystem::path& hostPath) const;
    const std::vector<MountEntry>& entries() const { return entries_; }

private:
    std::vector<MountEntry> entries_;
};

// File-system type and device decide the type; `sysBlock` is the folder that lists block
// devices with their "removable" flag (normally /sys/block).
DriveType classifyMount(const MountEntry& entry, const std::filesystem::path& sysBlock);

}  // namespace torvane::platform
