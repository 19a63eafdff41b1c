#pragma once

#include <stdexcept>
#include <string>

namespace torvane::scheduler {

// Every trapped failure of this program's classes reaches its caller as error 9999 with the
// class and operation as source; the program has no message table, so the text is fixed.
class SchedulerError : public std::runtime_error {
public:
    explicit SchedulerError(std::string source)
        : std::runtime_error("An unknown error has occurred!"), source_(std::move(source)) {}
    const std::string& source() const { return source_; }

private:
    std::string source_;
};

[[noreturn]] inline void raiseSchedulerError(const std::string& source) { throw SchedulerError(source); }

}  // namespace torvane::scheduler
