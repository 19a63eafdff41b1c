#pragma once

#include <string>

#include "platform/InstanceLock.h"

namespace torvane {

// Start-up services: is another instance running, and the version text. Closing the start-up
// windows lives with the splash window of each program.
class clsApplication {
public:
    explicit clsApplication(platform::InstanceLock& lock);

    // True when another process of the same executable holds the instance lock. The first
    // call that finds the lock free takes it for the life of the process.
    bool PrevInstance();
    static std::string VersionNo();

private:
    platform::InstanceLock& lock_;
};

}  // namespace torvane
