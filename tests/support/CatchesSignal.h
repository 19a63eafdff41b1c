#pragma once

#include <sys/types.h>

#include <chrono>
#include <fstream>
#include <string>
#include <thread>

namespace torvane::test {

// Waits (up to ten seconds) until process `pid` catches `signal` itself, so that a test sends
// it to the program's handler and not to the default action that kills the process.
inline bool waitUntilCatches(pid_t pid, int signal) {
    for (int attempt = 0; attempt < 1000; ++attempt) {
        std::ifstream status("/proc/" + std::to_string(pid) + "/status");
        for (std::string line; std::getline(status, line);)
            if (line.rfind("SigCgt:", 0) == 0 && ((std::stoull(line.substr(7), nullptr, 16) >> (signal - 1)) & 1))
                return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

}  // namespace torvane::test
