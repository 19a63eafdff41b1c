#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace torvane::zip {

// The components of a member name below the destination, or an empty list with `reason` set when
// the name must not be extracted: absolute, with a drive letter, with a ".." component ("\" counts
// as a separator, as Windows tools write it), with a NUL, or naming nothing at all.
std::vector<std::string> memberComponents(std::string_view name, std::string& reason);

}  // namespace torvane::zip
