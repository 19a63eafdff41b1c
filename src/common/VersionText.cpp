#include "VersionText.h"

#include "Version.h"

namespace torvane {

std::string VersionText() {
    return std::to_string(version::kMajor) + "." + std::to_string(version::kMinor) + "." +
           std::to_string(version::kRevision);
}

std::vector<std::string> FileBanner() {
    return {";---------------------------", ";  Maldreth Backup Utility  ", ";        Version " + VersionText(),
            ";  (C) 2026 Torvane Software", ";---------------------------"};
}

}  // namespace torvane
