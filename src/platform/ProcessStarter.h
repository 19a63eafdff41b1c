#pragma once

#include <filesystem>
#include <string>

namespace torvane::platform {

// Starting another program is a seam: tests hand in a recorder instead of starting processes.
class ProcessStarter {
public:
    virtual ~ProcessStarter() = default;
    // Starts `program` with `argument` as its one argument and returns without waiting for it.
    // Throws std::system_error with the host's reason when the program cannot be started.
    virtual void startDetached(const std::filesystem::path& program, const std::string& argument) = 0;
};

// Double fork, so that the started program is no child of ours and never lingers as a zombie;
// a close-on-exec pipe carries a failed exec's reason back before we return.
class HostProcessStarter : public ProcessStarter {
public:
    void startDetached(const std::filesystem::path& program, const std::string& argument) override;
};

}  // namespace torvane::platform
