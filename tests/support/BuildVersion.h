#pragma once

#include <string>

#include "Version.h"

namespace torvane::test {

// The version as the build states it (major.minor.revision), so no expectation pins a release.
inline std::string buildVersion() {
    return std::to_string(version::kMajor) + "." + std::to_string(version::kMinor) + "." +
           std::to_string(version::kRevision);
}

}  // namespace torvane::test
