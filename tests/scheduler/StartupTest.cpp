#include <gtest/gtest.h>

#include <cerrno>

#include <QSignalSpy>
#include <QTreeWidget>

#include "BuildVersion.h"
#include "UiFixture.h"
#include "platform/AtomicFile.h"
#include "platform/InstanceLock.h"
#include "scheduler/Frm_Main.h"
#include "common/InstanceChannel.h"
#include "scheduler/modStartup.h"

namespace torvane::scheduler {
namespace {

using torvane::test::readFile;
using torvane::test::writeFile;

class Startup : public ::testing::Test {
  protected:
    torvane::test::TestContext ctx;
    test::RecordingStarter starter;
    platform::InstanceLock lock{ctx.host->settingsFolder(), kExecutableName};
    std::unique_ptr<SchedulerProgram> program;

    bool start() {
        StartupOptions options;
        options.splashDelayMs = 0;
        options.trayAvailable = false;
        options.currentFolder = ctx.dir / "nowhere";
        program = std::make_unique<SchedulerProgram>(*ctx.context, starter, lock, options);
        return program->Main();
    }

    std::string logText() const { return readFile(ctx.programHost / "Torvane Scheduler.Log"); }
    std::string storedPath() const {
        return platform::SettingsStore(ctx.host->settingsFolder(), kExecutableName)
            .get("Paths", "Torvane");
    }
};

TEST_F(Startup, FindsTheUtilityOnItsDriveRemembersItAndUsesItsFolder) {
    writeFile(ctx.cRoot / "Apps" / "Backup" / "Torvane", "");
    writeFile(ctx.cRoot / "Apps" / "Backup" / "DAILY.INI", "");
    ctx.clock.set({2026, 12, 14, 9, 0, 0});
    platform::SettingsStore(ctx.host->settingsFolder(), kExecutableName)
        .save("Item1", "BackupSet", "DAILY.INI");
    for (const auto& [key, value] : {std::pair{"Schedule", "Daily"},
                                     {"Date", "14/12/2026"},
                                     {"Time", "09:00"},
                                     {"Status", "Enabled"}})
        platform::SettingsStore(ctx.host->settingsFolder(), kExecutableName)
            .save("Item1", key, value);

    ASSERT_TRUE(start());
    EXPECT_EQ(storedPath(), "C:\\Apps\\Backup\\Torvane");
    EXPECT_EQ(ctx.globals.sUtilityFolder, "C:\\Apps\\Backup\\");
    EXPECT_EQ(ctx.globals.sLogFile, "C:\\Prog\\Torvane Scheduler.Log");
    const std::string log = logText();
    const auto started = log.find("14/12/2026 09:00:00 Application " + torvane::test::buildVersion() + " Started\r\n");
    const auto found =
        log.find("14/12/2026 09:00:00 Torvane Backup found in C:\\APPS\\BACKUP\\TORVANE\r\n");
    EXPECT_NE(started, std::string::npos);
    EXPECT_NE(found, std::string::npos);
    EXPECT_LT(started, found);
    ASSERT_NE(program->mainWindow(), nullptr);
    EXPECT_EQ(program->mainWindow()->Lst_Backups->topLevelItemCount(), 1);

    program->mainWindow()->Tim_Scheduler_Timer();
    ASSERT_EQ(starter.started.size(), 1u);
    EXPECT_EQ(starter.started[0].program, ctx.cRoot / "Apps" / "Backup" / "Torvane");
}

TEST_F(Startup, AnUnreadableStoreIsReportedOnceAndTheSchedulerRunsWithoutTouchingIt) {
    writeFile(ctx.cRoot / "Apps" / "Torvane", "");
    const auto file = ctx.host->settingsFolder() / "Torvane Scheduler.ini";
    writeFile(file, "[Item1]\r\nBackupSet=DAILY.INI\r\n");
    platform::FileReadFaultHook unreadable(
        [&](const std::filesystem::path& read) { return read == file; }, EACCES);
    ctx.prompts.answerMessage(MsgAnswer::Ok);

    ASSERT_TRUE(start());
    EXPECT_EQ(ctx.globals.sUtilityFolder, "C:\\Apps\\");
    ASSERT_EQ(ctx.prompts.recorded().size(), 1u);
    EXPECT_EQ(ctx.prompts.lastMessage().title, "Error");
    EXPECT_NE(ctx.prompts.lastMessage().text.find("Permission denied"), std::string::npos);
    EXPECT_EQ(program->mainWindow()->Lst_Backups->topLevelItemCount(), 0);
    EXPECT_EQ(readFile(file), "[Item1]\r\nBackupSet=DAILY.INI\r\n");
}

TEST_F(Startup, ARememberedPathIsUsedWithoutASearch) {
    platform::SettingsStore(ctx.host->settingsFolder(), kExecutableName)
        .save("Paths", "Torvane", "D:\\Old\\Torvane");
    ASSERT_TRUE(start());
    EXPECT_EQ(ctx.globals.sUtilityFolder, "D:\\Old\\");
    EXPECT_EQ(logText().find("found in"), std::string::npos);
}

TEST_F(Startup, WithoutTheUtilityItSaysSoLogsAndEnds) {
    ctx.prompts.answerMessage(MsgAnswer::Ok);
    EXPECT_FALSE(start());
    const MessageRequest& message = ctx.prompts.lastMessage();
    EXPECT_EQ(message.text,
              "Torvane Scheduler is unable to locate the Torvane Backup Utility.\r\n\r\nPlease "
              "re-install the "
              "Torvane Backup Utility.");
    EXPECT_EQ(message.icon, MsgIcon::Critical);
    EXPECT_EQ(program->mainWindow(), nullptr);
    EXPECT_EQ(storedPath(), "");
    const std::string log = logText();
    const auto unable =
        log.find(std::string(20, ' ') + "Unable to Find Torvane Backup Utility\r\n");
    const auto closed = log.find("Application Closed\r\n");
    EXPECT_NE(unable, std::string::npos);
    EXPECT_NE(closed, std::string::npos);
    EXPECT_LT(unable, closed);
}

TEST_F(Startup, ASecondStartHandsOverToTheRunningInstance) {
    platform::SettingsStore(ctx.host->settingsFolder(), kExecutableName)
        .save("Paths", "Torvane", "C:\\Prog\\Torvane");
    platform::InstanceLock running(ctx.host->settingsFolder(), kExecutableName);
    ASSERT_TRUE(running.acquire());
    InstanceChannel first(ctx.host->settingsFolder(), kExecutableName);
    ASSERT_TRUE(first.listen());
    QSignalSpy activation(&first, &InstanceChannel::activationRequested);

    EXPECT_FALSE(start());
    EXPECT_EQ(program->mainWindow(), nullptr);
    EXPECT_TRUE(activation.wait(10000));
    const std::string log = logText();
    const auto previous = log.find("Previous Instance Detected - Not Started\r\n");
    const auto handOver = log.find(
        "Application Started.  Previous Instance Detected.  Loading Previous Instance\r\n");
    const auto closed = log.find("Application Closed\r\n");
    EXPECT_NE(previous, std::string::npos);
    EXPECT_NE(handOver, std::string::npos);
    EXPECT_LT(previous, handOver);
    EXPECT_LT(handOver, closed);
    EXPECT_NE(closed, std::string::npos);
}

TEST_F(Startup, TheRunningInstanceOpensItsWindowWhenAskedTo) {
    platform::SettingsStore(ctx.host->settingsFolder(), kExecutableName)
        .save("Paths", "Torvane", "C:\\Prog\\Torvane");
    ASSERT_TRUE(start());
    Frm_Main* window = program->mainWindow();
    EXPECT_FALSE(window->isVisible() && !window->isMinimized());
    EXPECT_TRUE(InstanceChannel(ctx.host->settingsFolder(), kExecutableName).activateRunning());
    for (int round = 0; round < 100 && (window->isMinimized() || !window->isVisible()); ++round)
        QApplication::processEvents(QEventLoop::AllEvents, 100);
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->isMinimized());
}

}  // namespace
}  // namespace torvane::scheduler
