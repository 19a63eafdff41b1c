#include "Clock.h"

#include <ctime>

namespace torvane::platform {

LocalDateTime toLocal(std::chrono::system_clock::time_point t) {
    const std::time_t secs = std::chrono::system_clock::to_time_t(t);
    std::tm tm{};
    ::localtime_r(&secs, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

LocalDateTime SystemClock::now() const { return toLocal(std::chrono::system_clock::now()); }

}  // namespace torvane::platform

#include <sys/stat.h>

namespace torvane::platform {

std::optional<LocalDateTime> fileModifiedLocal(const std::filesystem::path& file) {
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0) return std::nullopt;
    return toLocal(std::chrono::system_clock::from_time_t(st.st_mtime));
}

}  // namespace torvane::platform
