#include "SetOptions.h"

#include <algorithm>
#include <charconv>
#include <limits>

namespace torvane {

std::optional<unsigned> keepCount(std::string_view value) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!value.empty() && blank(value.front())) value.remove_prefix(1);
    while (!value.empty() && blank(value.back())) value.remove_suffix(1);
    if (value.empty()) return 0u;
    if (!std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    unsigned n = 0;
    // A number beyond the type keeps more backups than any destination holds.
    if (std::from_chars(value.data(), value.data() + value.size(), n).ec ==
        std::errc::result_out_of_range)
        return std::numeric_limits<unsigned>::max();
    return n;
}

}  // namespace torvane
