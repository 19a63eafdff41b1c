#pragma once

#include <cstdint>
#include <string>

namespace torvane::scheduler {

// The scheduler carries no message table, so every number looks up the same fallback text.
std::string ErrorDescription(std::int32_t number);

// A trapped failure of one of the scheduler's classes, passed on as error 9999 of `source`
// ("clsRegistry:DeleteEntry Method").
[[noreturn]] void raiseSchedulerError(const std::string& source);

}  // namespace torvane::scheduler
