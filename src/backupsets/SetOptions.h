#pragma once

#include <optional>
#include <string_view>

namespace torvane {

// A set's Keep value: a whole number, blanks around it allowed, empty counting as 0 (keep all).
// Anything else is no number at all.
std::optional<unsigned> keepCount(std::string_view value);

}  // namespace torvane
