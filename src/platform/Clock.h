#pragma once

#include <chrono>

namespace torvane::platform {

// A local calendar reading of the clock.
struct LocalDateTime {
    int year = 2000;
    int month = 1;  // 1..12
    int day = 1;    // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
};

LocalDateTime toLocal(std::chrono::system_clock::time_point t);

// The clock is a seam: tests hand in a fake one.
class Clock {
public:
    virtual ~Clock() = default;
    virtual LocalDateTime now() const = 0;
};

class SystemClock : public Clock {
public:
    LocalDateTime now() const override;
};

}  // namespace torvane::platform

#include <filesystem>
#include <optional>

namespace torvane::platform {

// Last-modified time of a file in local time; empty when the file cannot be examined.
std::optional<LocalDateTime> fileModifiedLocal(const std::filesystem::path& file);

}  // namespace torvane::platform
