#include "modClassIDGenerator.h"

#include <atomic>

namespace torvane::scheduler {

std::int32_t NextClassDebugID() {
    static std::atomic<std::int32_t> counter{0};
    return ++counter;
}

}  // namespace torvane::scheduler
