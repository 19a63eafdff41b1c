#pragma once

#include <string_view>

namespace torvane::zip {

// Windows file-pattern matching as the backup selection uses it: case-blind over ASCII,
// "*" any run, "?" one character, and "*.*" (like "*") matching every name, dotted or not.
bool matchesPattern(std::string_view pattern, std::string_view name);

}  // namespace torvane::zip
