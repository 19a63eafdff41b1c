#pragma once

namespace torvane::platform {

// The desktop's drive-type codes, kept as plain numbers because set files, messages and the
// callers compare them as such.
enum DriveType : int {
    kDriveUnknown = 0,
    kDriveNoRoot = 1,
    kDriveRemovable = 2,
    kDriveFixed = 3,
    kDriveRemote = 4,
    kDriveCdRom = 5,
    kDriveRamDisk = 6,
};

}  // namespace torvane::platform
