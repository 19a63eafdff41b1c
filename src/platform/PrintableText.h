#pragma once

#include <string>
#include <string_view>

namespace torvane::platform {

// A file name may hold any byte but "/" and NUL on this host, and a control character shown
// as it is can start a new log record or move a terminal's cursor. Every place that shows a
// name shows it through this: bytes 0x00-0x1F and 0x7F become their Unicode control
// pictures (U+2400-U+241F, U+2421), which stay visible and cannot act.
std::string printable(std::string_view text);

}  // namespace torvane::platform
