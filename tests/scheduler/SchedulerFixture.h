#pragma once

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include "FakeClock.h"
#include "TempDir.h"
#include "platform/Host.h"
#include "platform/ProcessStarter.h"
#include "platform/SettingsStore.h"

namespace torvane::scheduler::test {

struct StartRequest {
    std::filesystem::path program;
    std::string argument;
};

class RecordingStarter : public platform::ProcessStarter {
  public:
    std::vector<StartRequest> started;
    bool fail = false;
    // Runs at the moment of each start, to look at what the scheduler had written by then.
    std::function<void()> onStart;

    void startDetached(const std::filesystem::path& program, const std::string& argument) override {
        if (onStart) onStart();
        if (fail)
            throw std::system_error(std::make_error_code(std::errc::no_such_file_or_directory));
        started.push_back({program, argument});
    }
};

// A temporary drive C: with a settings folder of its own and the scheduler's program folder.
struct SchedulerWorld {
    torvane::test::TempDir temp;
    std::filesystem::path driveRoot = temp / "drive";
    std::filesystem::path settingsFolder = temp / "config" / "Torvane";
    std::filesystem::path programFolder = driveRoot / "Scheduler";
    std::unique_ptr<platform::Host> host;
    std::unique_ptr<platform::SettingsStore> store;

    std::filesystem::path mountTable = temp / "mounts";

    // With `privateMountTable` the host reads its mounted file systems from `mountTable`.
    explicit SchedulerWorld(bool privateMountTable = false) {
        std::filesystem::create_directories(programFolder);
        torvane::test::writeFile(settingsFolder / "Drives.ini",
                                 "[Drives]\nC=" + driveRoot.string() + ", fixed\n");
        platform::HostConfig config;
        config.settingsFolder = settingsFolder;
        config.executableFolder = programFolder;
        config.mountTable = privateMountTable ? mountTable : std::filesystem::path("/proc/mounts");
        host = std::make_unique<platform::Host>(config);
        store = std::make_unique<platform::SettingsStore>(settingsFolder, "Torvane Scheduler");
    }

    std::string storeText() const {
        return torvane::test::readFile(settingsFolder / "Torvane Scheduler.ini");
    }
};

}  // namespace torvane::scheduler::test
