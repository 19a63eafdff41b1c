#pragma once

#include <filesystem>
#include <string_view>

namespace torvane::platform {

// One running instance per executable and user. The lock is an OS file lock, released by the
// kernel when the process ends however it ends, so a crash never leaves it stale.
class InstanceLock {
public:
    InstanceLock(const std::filesystem::path& folder, std::string_view executableName);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // True when this object holds the lock (taken now or earlier); false when another
    // process holds it.
    bool acquire();

private:
    std::filesystem::path file_;
    int fd_ = -1;
};

}  // namespace torvane::platform
