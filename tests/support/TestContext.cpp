#include "TestContext.h"

namespace torvane::test {

TestContext::TestContext(const std::string& extraDrives, const std::string& commandLine,
                         std::function<std::optional<std::uint64_t>(const std::filesystem::path&)> freeSpace) {
    cRoot = dir / "c";
    programHost = cRoot / "Prog";
    std::filesystem::create_directories(programHost);
    const auto settings = dir / "settings";
    writeFile(settings / "Drives.ini", "[Drives]\r\nC=" + cRoot.string() + ", fixed\r\n" + extraDrives);
    platform::HostConfig config;
    config.settingsFolder = settings;
    config.executableFolder = programHost;
    config.freeSpace = std::move(freeSpace);
    host = std::make_unique<platform::Host>(config);
    globals.sLogFile = host->programFolder() + "\\Torvane.Log";
    context = std::make_unique<AppContext>(AppContext{*host, prompts, clock, globals, commandLine});
}

}  // namespace torvane::test
