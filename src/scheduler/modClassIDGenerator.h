#pragma once

#include <cstdint>

namespace torvane::scheduler {

// Serial numbers for class instances, so that a trace can tell instances apart.
std::int32_t NextClassDebugID();

}  // namespace torvane::scheduler
