#include "TorvaneError.h"

namespace torvane {

TorvaneError::TorvaneError(std::string source, const std::string& description, std::int32_t number)
    : std::runtime_error(description), number_(number), source_(std::move(source)) {}

}  // namespace torvane
