#include "clsDrives.h"

#include "common/TorvaneError.h"

namespace torvane {

clsDrives::clsDrives(AppContext& context) : context_(context) {}

bool clsDrives::VerifyDriveType(const std::string& sDrive, std::int16_t iDriveType) {
    return context_.host.driveType(sDrive) == iDriveType;
}

std::string clsDrives::ShowDrives(std::int16_t iDriveType) {
    return wrapErrors("clsDrives:ShowDrives Method", [&] {
        std::string list;
        for (char letter = 'a'; letter <= 'z'; ++letter) {
            const int type = context_.host.driveType(std::string{letter, ':', '\\'});
            if (type >= platform::kDriveRemovable && type <= platform::kDriveRamDisk && type == iDriveType) {
                list += static_cast<char>(letter - 'a' + 'A');
                list += ": ";
            }
        }
        return list.empty() ? std::string("Nil") : list;
    });
}

double clsDrives::FreeSpace(const std::string& sDriveLetter) {
    if (sDriveLetter.empty()) return 0;
    return static_cast<double>(context_.host.freeBytes(sDriveLetter[0]).value_or(0));
}

}  // namespace torvane
