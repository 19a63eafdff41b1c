// Starts of the built Torvane that find another instance running: an open window, or an
// unattended run of another set. The set is handed over and backed up all the same. And the
// desktop notice of a run that fails, shown through a notification service on a session bus of
// the test's own.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <thread>

#include "BuildVersion.h"
#include "CatchesSignal.h"
#include "ProgramFolder.h"
#include "SetText.h"
#include "platform/InstanceLock.h"

namespace torvane {
namespace {

using test::ProgramFolder;
using test::readFile;
using test::setText;
using test::writeFile;
namespace fs = std::filesystem;

// A child process whose first line of output is read; stopped when the test ends.
class Child {
  public:
    explicit Child(const std::vector<std::string>& command,
                   const std::map<std::string, std::string>& env = {}) {
        int fds[2];
        if (::pipe(fds) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            for (const auto& [name, value] : env) ::setenv(name.c_str(), value.c_str(), 1);
            ::dup2(fds[1], 1);
            ::close(fds[0]);
            std::vector<std::string> all = command;
            std::vector<char*> argv;
            for (auto& a : all) argv.push_back(a.data());
            argv.push_back(nullptr);
            ::execvp(argv[0], argv.data());
            ::_exit(127);
        }
        ::close(fds[1]);
        FILE* out = ::fdopen(fds[0], "r");
        char line[4096] = {};
        if (out && std::fgets(line, sizeof line, out)) firstLine_ = line;
        if (!firstLine_.empty() && firstLine_.back() == '\n') firstLine_.pop_back();
        // The rest of its output is not read; the pipe stays open so that it never fails to write.
        out_ = out;
    }
    ~Child() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
        if (out_) std::fclose(out_);
    }
    const std::string& firstLine() const { return firstLine_; }

  private:
    pid_t pid_ = -1;
    FILE* out_ = nullptr;
    std::string firstLine_;
};

class HandOver : public ::testing::Test {
  protected:
    HandOver() : program(TORVANE_BIN_DIR) {
        writeFile(program.c() / "Data/a.txt", "alpha\n");
        writeFile(program.c() / "Other/b.txt", "beta\n");
        fs::create_directories(program.c() / "Backups");
        writeFile(program.prog() / "DAILY.INI", setText("C:\\DATA\\*.*", "DAILY"));
        writeFile(program.prog() / "OTHER.INI", setText("C:\\OTHER\\*.*", "OTHER"));
    }

    std::string log() const {
        const fs::path file = program.prog() / "Torvane.Log";
        return fs::exists(file) ? readFile(file) : std::string();
    }
    // Waits, as a guard and not as a measure, until the log holds `text` `count` times.
    bool waitForLog(const std::string& text, long count = 1) const {
        for (int i = 0; i < 1200; ++i) {
            const auto r = program.logRecords();
            if (std::count(r.begin(), r.end(), text) >= count) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }
    // The records from the first `from` on.
    std::vector<std::string> recordsFrom(const std::string& from) const {
        const auto r = program.logRecords();
        return {std::find(r.begin(), r.end(), from), r.end()};
    }
    // Starts the window with no command line and waits until it takes hand-overs.
    pid_t startWindow() {
        const pid_t window = program.start({});
        EXPECT_TRUE(waitForLog("Command Line Parameter = Nil"));
        for (int i = 0; i < 1200 && !fs::exists(program.root() / "cfg/Torvane/Torvane.instance");
             ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        EXPECT_TRUE(test::waitUntilCatches(window, SIGTERM));
        return window;
    }

    ProgramFolder program;
};

const std::vector<std::string> kDailyRun{"Starting Backup DAILY.INI",
                                         "Creating Backup File C:\\BACKUPS\\DAILY.zip",
                                         "Finished Backup DAILY.INI", "Backup Verified - 1 file(s)", "Successful Backup"};

TEST_F(HandOver, AnOpenWindowRunsTheSetAStartHandsIt) {
    const pid_t window = startWindow();
    const auto second = program.run({"DAILY.INI"});
    EXPECT_EQ(second.status, 0);
    ASSERT_TRUE(waitForLog("Successful Backup")) << log();
    ASSERT_EQ(::kill(window, SIGTERM), 0);
    EXPECT_EQ(program.finish(window).status, 0);

    std::vector<std::string> expected{"Previous Instance Detected - Not Started"};
    expected.insert(expected.end(), kDailyRun.begin(), kDailyRun.end());
    expected.push_back("Application Closed - Unloaded by Windows Task Manager is ending.");
    expected.push_back(std::string(80, '-'));
    EXPECT_EQ(recordsFrom("Previous Instance Detected - Not Started"), expected) << log();
    EXPECT_EQ(
        std::system(("unzip -tq '" + (program.c() / "Backups/DAILY.zip").string() + "' >/dev/null")
                        .c_str()),
        0);
}

TEST_F(HandOver, ASecondStartWithoutASetOnlyBringsTheWindowUp) {
    const pid_t window = startWindow();
    EXPECT_EQ(program.run({}).status, 0);
    ASSERT_EQ(::kill(window, SIGTERM), 0);
    EXPECT_EQ(program.finish(window).status, 0);
    const auto r = program.logRecords();
    EXPECT_EQ(std::count(r.begin(), r.end(), "Previous Instance Detected - Not Started"), 1);
    EXPECT_EQ(std::count_if(r.begin(), r.end(),
                            [](const std::string& s) { return s.starts_with("Starting Backup"); }),
              0);
    EXPECT_TRUE(fs::is_empty(program.c() / "Backups"));
}

// Two sets due in the same minute start two runs; the second hands its set to the first, which
// runs it after its own, with every record of both. The first set is big enough that the second
// run usually meets it still running; when the first has ended meanwhile, the second runs its
// set itself, and both archives are there all the same.
TEST_F(HandOver, TwoUnattendedRunsOfDifferentSetsBothWriteTheirArchives) {
    std::string noise(48 << 20, '\0');
    std::uint64_t state = 88172645463325252ull;
    for (char& c : noise) {
        state ^= state << 13, state ^= state >> 7, state ^= state << 17;
        c = static_cast<char>(state);
    }
    writeFile(program.c() / "Data/noise.bin", noise);
    const pid_t first = program.start({"DAILY.INI"});
    ASSERT_TRUE(waitForLog("Command Line Parameter = DAILY.INI"));
    const pid_t second = program.start({"OTHER.INI"});
    EXPECT_EQ(program.finish(second).status, 0);
    EXPECT_EQ(program.finish(first).status, 0);

    EXPECT_EQ(
        std::system(("unzip -tq '" + (program.c() / "Backups/DAILY.zip").string() + "' >/dev/null")
                        .c_str()),
        0);
    EXPECT_EQ(
        std::system(("unzip -tq '" + (program.c() / "Backups/OTHER.zip").string() + "' >/dev/null")
                        .c_str()),
        0);
    const auto r = program.logRecords();
    for (const char* record :
         {"Starting Backup DAILY.INI", "Finished Backup DAILY.INI", "Starting Backup OTHER.INI",
          "Creating Backup File C:\\BACKUPS\\OTHER.zip", "Finished Backup OTHER.INI"})
        EXPECT_EQ(std::count(r.begin(), r.end(), record), 1) << record << "\n" << log();
    EXPECT_EQ(std::count(r.begin(), r.end(), "Successful Backup"), 2) << log();
    const long previous =
        std::count(r.begin(), r.end(), "Previous Instance Detected - Not Started");
    const long closed =
        std::count(r.begin(), r.end(), "Application Closed - Unloaded by Invoked from code.");
    EXPECT_GE(closed, 1) << log();
    EXPECT_GE(previous, 2 - closed) << log();
    if (closed == 1) {
        // The handed-over run is complete before the program that took it ends.
        EXPECT_LT(
            std::find(r.begin(), r.end(), "Finished Backup OTHER.INI"),
            std::find(r.begin(), r.end(), "Application Closed - Unloaded by Invoked from code."));
    }
}

TEST_F(HandOver, AStartThatNobodyAnswersEndsWithStatusTwo) {
    // The lock held by a process that does not listen: an instance that hangs.
    platform::InstanceLock running(program.root() / "cfg/Torvane", "Torvane");
    ASSERT_TRUE(running.acquire());
    const auto result = program.run({"DAILY.INI"});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(program.logRecords(),
              (std::vector<std::string>{"Previous Instance Detected - Not Started"}));
    EXPECT_TRUE(fs::is_empty(program.c() / "Backups"));
}

// An instance that ends before it could take the set leaves it to the start that brought it.
TEST_F(HandOver, AStartWhoseRunningInstanceEndsRunsTheSetItself) {
    auto running =
        std::make_unique<platform::InstanceLock>(program.root() / "cfg/Torvane", "Torvane");
    ASSERT_TRUE(running->acquire());
    const pid_t run = program.start({"DAILY.INI"});
    ASSERT_TRUE(waitForLog("Previous Instance Detected - Not Started"));
    running.reset();
    EXPECT_EQ(program.finish(run).status, 0);

    std::vector<std::string> expected{"Previous Instance Detected - Not Started",
                                      "Application " + test::buildVersion() + " Started",
                                      "Command Line Parameter = DAILY.INI"};
    expected.insert(expected.end(), kDailyRun.begin(), kDailyRun.end());
    expected.push_back("Application Closed - Unloaded by Invoked from code.");
    expected.push_back(std::string(80, '-'));
    EXPECT_EQ(program.logRecords(), expected) << log();
    EXPECT_TRUE(fs::exists(program.c() / "Backups/DAILY.zip"));
}

// The desktop notice goes to the notification service of the session's bus, here one the test
// starts with a stand-in service on it.
TEST_F(HandOver, AFailedRunShowsADesktopNoticeNamingTheSetAndTheReason) {
    Child bus({"dbus-daemon", "--session", "--nofork", "--print-address=1"});
    ASSERT_FALSE(bus.firstLine().empty());
    const fs::path notices = program.root() / "notices";
    Child service({TORVANE_NOTIFICATION_STAND_IN, notices.string()},
                  {{"DBUS_SESSION_BUS_ADDRESS", bus.firstLine()}});
    ASSERT_EQ(service.firstLine(), "ready");
    writeFile(program.prog() / "BAD.INI", setText("C:\\MISSING\\*.*", "BAD"));
    program.setenv("DBUS_SESSION_BUS_ADDRESS", bus.firstLine());

    program.run({"BAD.INI"});
    ASSERT_TRUE(fs::exists(notices)) << log();
    EXPECT_EQ(readFile(notices),
              "Backup BAD.INI failed\tBackup Failed - Unable to locate C:\\MISSING\\*.*\n");
    EXPECT_EQ(program.logRecords().back(), std::string(80, '-'));

    // A good run tells nobody.
    program.run({"DAILY.INI"});
    EXPECT_EQ(readFile(notices),
              "Backup BAD.INI failed\tBackup Failed - Unable to locate C:\\MISSING\\*.*\n");
}

TEST_F(HandOver, ABusWithoutANotificationServiceIsRecordedAndTheRunEndsAsItWould) {
    Child bus({"dbus-daemon", "--session", "--nofork", "--print-address=1"});
    ASSERT_FALSE(bus.firstLine().empty());
    writeFile(program.prog() / "BAD.INI", setText("C:\\MISSING\\*.*", "BAD"));
    program.setenv("DBUS_SESSION_BUS_ADDRESS", bus.firstLine());
    const auto withBus = program.run({"BAD.INI"});
    const auto r = program.logRecords();
    const auto notice = std::find_if(r.begin(), r.end(), [](const std::string& s) {
        return s.starts_with("Unable to show the desktop notice - ");
    });
    ASSERT_NE(notice, r.end()) << log();
    EXPECT_LT(std::find(r.begin(), r.end(), "Backup Failed - Unable to locate C:\\MISSING\\*.*"),
              notice);
    EXPECT_EQ(r.back(), std::string(80, '-'));

    fs::remove(program.prog() / "Torvane.Log");
    program.setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + (program.root() / "no-bus").string());
    const auto withoutBus = program.run({"BAD.INI"}, ProgramFolder::Display::None);
    EXPECT_EQ(withoutBus.status, withBus.status);
    EXPECT_EQ(withoutBus.err, "");
    const auto quiet = program.logRecords();
    EXPECT_EQ(std::count_if(quiet.begin(), quiet.end(),
                            [](const std::string& s) {
                                return s.starts_with("Unable to show the desktop notice");
                            }),
              0);
    EXPECT_EQ(quiet.back(), std::string(80, '-'));
}

}  // namespace
}  // namespace torvane
