#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace torvane::zip {

// The reason given for a name made only of "." and separators, such as "./".
inline constexpr std::string_view kNoComponents = "name has no components";

// The components of a member name below the destination, or an empty list with `reason` set when
// the name must not be extracted: absolute, with a ".." component ("\" counts as a separator, as
// Windows tools write it), with a NUL, or naming nothing at all. A colon names no drive on this
// host, so "a:b.txt" is an ordinary file name.
std::vector<std::string> memberComponents(std::string_view name, std::string& reason);

}  // namespace torvane::zip
