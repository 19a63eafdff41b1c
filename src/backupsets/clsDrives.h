#pragma once

#include <cstdint>
#include <string>

#include "common/AppContext.h"

namespace torvane {

class clsDrives {
public:
    explicit clsDrives(AppContext& context);

    // True when the drive of the root (such as "E:\") is of exactly that type.
    bool VerifyDriveType(const std::string& sDrive, std::int16_t iDriveType);
    // The mapped drives of that type as "C: D: " (upper case, a space after each), or "Nil".
    std::string ShowDrives(std::int16_t iDriveType);
    // Free bytes on the drive of that letter, 0 when it cannot be read.
    double FreeSpace(const std::string& sDriveLetter);

private:
    AppContext& context_;
};

}  // namespace torvane
