#pragma once

#include <string>

namespace torvane {

// The program's version as major.minor.revision, without leading zeros.
std::string VersionText();

}  // namespace torvane
