#pragma once

#include <string>
#include <string_view>

namespace torvane::platform {

// Case rules touch ASCII letters only, so upper-casing and case-blind comparison always agree.
char asciiUpper(char c);
std::string asciiUpper(std::string_view s);
bool iequals(std::string_view a, std::string_view b);

}  // namespace torvane::platform
