#include "ErrorDescription.h"

#include "common/TorvaneError.h"

namespace torvane::scheduler {

std::string ErrorDescription(std::int32_t) { return "An unknown error has occurred!"; }

void raiseSchedulerError(const std::string& source) {
    throw TorvaneError(source, ErrorDescription(kErrorNumber), kErrorNumber);
}

}  // namespace torvane::scheduler
