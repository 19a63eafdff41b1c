#pragma once

#include <memory>
#include <string>

#include "FakeClock.h"
#include "ScriptedPrompts.h"
#include "TempDir.h"
#include "common/AppContext.h"

namespace torvane::test {

// A program's world in a temporary folder: drive C: is the folder "c" inside it, a fixed drive
// whatever file system the temporary folder is on (tmpfs would make it a RAM disk), the program
// folder is C:\PROG (host folder "c/Prog"), settings live in "settings".
struct TestContext {
    TempDir dir;
    std::filesystem::path cRoot;
    std::filesystem::path programHost;
    std::unique_ptr<platform::Host> host;
    ScriptedPrompts prompts;
    FakeClock clock;
    Globals globals;
    std::unique_ptr<AppContext> context;

    // `drivesIni` is the [Drives] body; "C=<cRoot>" is added first.
    explicit TestContext(const std::string& extraDrives = "", const std::string& commandLine = "",
                         std::function<std::optional<std::uint64_t>(const std::filesystem::path&)> freeSpace = {});
    std::string programFolder() const { return host->programFolder(); }
};

}  // namespace torvane::test
