#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "CatchesSignal.h"
#include "TempDir.h"
#include "scheduler/ScheduleDate.h"

extern char** environ;

namespace torvane::scheduler {
namespace {

namespace fs = std::filesystem;
using torvane::test::readFile;
using torvane::test::writeFile;

struct LocalNow {
    CalendarDate date;
    ClockTime time;
    int second;
};

LocalNow localNow() {
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    ::localtime_r(&now, &tm);
    return {{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday}, {tm.tm_hour, tm.tm_min}, tm.tm_sec};
}

bool fileHas(const fs::path& file, const std::string& text) {
    std::error_code ec;
    if (!fs::exists(file, ec)) return false;
    return readFile(file).find(text) != std::string::npos;
}

// The installed programs in a temporary folder that is drive C:, with settings of their own.
class InstalledScheduler : public ::testing::Test {
  protected:
    torvane::test::TempDir temp;
    fs::path drive = temp / "c";
    fs::path program = drive / "Torvane";
    fs::path settings = temp / "config";
    fs::path log = program / "Torvane Scheduler.Log";
    std::vector<pid_t> running;

    InstalledScheduler() {
        fs::create_directories(program);
        fs::copy_file(SCHEDULER_BINARY, program / "Torvane Scheduler");
        // The temporary folder may live on a RAM disk, where the utility refuses to back up.
        writeFile(settings / "Torvane" / "Drives.ini",
                  "[Drives]\nC=" + drive.string() + ", fixed\n");
    }

    // An event of DAILY.INI due in the current minute. Start-up and the first tick take some
    // seconds (more under the sanitizers), so a minute about to end is let go first.
    std::string scheduleDailyNow() {
        while (localNow().second > 40) std::this_thread::sleep_for(std::chrono::seconds(1));
        const LocalNow now = localNow();
        writeFile(
            settings / "Torvane" / "Torvane Scheduler.ini",
            "[Item1]\nBackupSet=DAILY.INI\nSchedule=Daily\nDate=" + formatShortDate(now.date) +
                "\nTime=" + formatShortTime(now.time) + "\nStatus=Enabled\n");
        return formatShortDate(addDays(now.date, 1));
    }

    ~InstalledScheduler() override {
        for (pid_t pid : running) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        }
    }

    pid_t start(int splashMs = 0) {
        std::vector<std::string> environment;
        for (char** entry = environ; *entry; ++entry) {
            const std::string text = *entry;
            if (text.rfind("XDG_CONFIG_HOME=", 0) != 0 && text.rfind("QT_QPA_PLATFORM=", 0) != 0)
                environment.push_back(text);
        }
        environment.push_back("XDG_CONFIG_HOME=" + settings.string());
        environment.push_back("QT_QPA_PLATFORM=offscreen");
        environment.push_back("TORVANE_SPLASH_MS=" + std::to_string(splashMs));
        std::vector<char*> envp;
        for (std::string& text : environment) envp.push_back(text.data());
        envp.push_back(nullptr);
        const std::string binary = (program / "Torvane Scheduler").string();
        const std::string folder = temp.path().string();
        char* const argv[] = {const_cast<char*>(binary.c_str()), nullptr};

        const pid_t pid = ::fork();
        if (pid == 0) {
            if (::chdir(folder.c_str()) != 0) ::_exit(126);
            ::execve(binary.c_str(), argv, envp.data());
            ::_exit(127);
        }
        running.push_back(pid);
        return pid;
    }

    // Waits for the process to end by itself; its exit status, or -1 if it did not end.
    int waitForExit(pid_t pid, std::chrono::seconds patience) {
        const auto deadline = std::chrono::steady_clock::now() + patience;
        while (std::chrono::steady_clock::now() < deadline) {
            int status = 0;
            if (::waitpid(pid, &status, WNOHANG) == pid) {
                std::erase(running, pid);
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return -1;
    }

    bool waitFor(const fs::path& file, const std::string& text, std::chrono::seconds patience) {
        const auto deadline = std::chrono::steady_clock::now() + patience;
        while (!fileHas(file, text)) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
        return true;
    }
};

// A signal during the splash used to kill the scheduler without its "Exit" record.
TEST_F(InstalledScheduler, ASignalDuringTheSplashEndsItWithItsExitAndStartsNothing) {
    fs::copy_file(STANDIN_BINARY, program / "Torvane");
    writeFile(program / "DAILY.INI", "[Backup]\n");
    scheduleDailyNow();

    const pid_t scheduler = start(4000);
    ASSERT_TRUE(torvane::test::waitUntilCatches(scheduler, SIGTERM));
    ASSERT_FALSE(fileHas(log, "Application")) << "the signal is only caught after the splash";
    ASSERT_EQ(::kill(scheduler, SIGTERM), 0);
    ASSERT_EQ(waitForExit(scheduler, std::chrono::seconds(60)), 0);
    const std::string text = readFile(log);
    EXPECT_EQ(text.find("Application Closed"), text.rfind("Application Closed")) << text;
    EXPECT_NE(text.find("Application Closed"), std::string::npos) << text;
    EXPECT_EQ(text.find("DAILY.INI"), std::string::npos) << text;
    EXPECT_FALSE(fs::exists(program / "started.txt"));
}

TEST_F(InstalledScheduler, StartsTheUtilityForAnEventDueNowAndHandsASecondStartOver) {
    fs::copy_file(STANDIN_BINARY, program / "Torvane");
    writeFile(program / "DAILY.INI", "[Backup]\n");
    const std::string tomorrow = scheduleDailyNow();

    const pid_t first = start();
    ASSERT_TRUE(waitFor(log, "Backup DAILY.INI Started\r\n", std::chrono::seconds(60)))
        << readFile(log);
    ASSERT_TRUE(waitFor(program / "started.txt", "\n", std::chrono::seconds(30)));
    EXPECT_EQ(readFile(program / "started.txt"), "1|DAILY.INI|" + program.string() + "\n");
    const std::string store = readFile(settings / "Torvane" / "Torvane Scheduler.ini");
    EXPECT_NE(store.find("Date=" + tomorrow), std::string::npos) << store;
    EXPECT_NE(store.find("Torvane=C:\\Torvane\\Torvane"), std::string::npos) << store;
    EXPECT_TRUE(fileHas(log, "Torvane Backup found in C:\\TORVANE\\TORVANE\r\n"));

    const pid_t second = start();
    EXPECT_EQ(waitForExit(second, std::chrono::seconds(60)), 0);
    EXPECT_TRUE(fileHas(
        log, "Application Started.  Previous Instance Detected.  Loading Previous Instance\r\n"));
    EXPECT_EQ(waitForExit(first, std::chrono::seconds(0)), -1) << "the first instance ended";

    ASSERT_EQ(::kill(first, SIGTERM), 0);
    EXPECT_EQ(waitForExit(first, std::chrono::seconds(30)), 0);
    const std::string text = readFile(log);
    EXPECT_EQ(text.substr(text.size() - 102),
              "Application Closed\r\n" + std::string(80, '-') + "\r\n");
}

#ifdef UTILITY_BINARY
TEST_F(InstalledScheduler, ADueEventRunsTheRealUtilitysUnattendedBackup) {
    fs::copy_file(UTILITY_BINARY, program / "Torvane");
    writeFile(drive / "Data" / "report.txt", "the figures of the month\n");
    fs::create_directories(drive / "Out");
    writeFile(
        program / "DAILY.INI",
        "[BACKUP SOURCE]\r\nBackupFiles=C:\\Data\\*.*\r\nBackupSubDirectories=OFF\r\n\r\n"
        "[DESTINATION]\r\nBackupFileName=DAILY\r\nMultiVolumeBackup=OFF\r\nBackupToDrive=C:"
        "\\Out\\\r\n"
        "TimeBackup=OFF\r\n\r\n[RESTORE SOURCE]\r\nRestoreFromDrive=\r\nRestoreFileName=\r\n\r\n"
        "[RESTORE DESTINATION]\r\nRestoreDestination=\r\n");
    const std::string tomorrow = scheduleDailyNow();

    const pid_t scheduler = start();
    ASSERT_TRUE(waitFor(log, "Backup DAILY.INI Started\r\n", std::chrono::seconds(60)))
        << readFile(log);
    const fs::path utilityLog = program / "Torvane.Log";
    ASSERT_TRUE(waitFor(utilityLog, "Application Closed", std::chrono::seconds(120)));
    const std::string utilityText = readFile(utilityLog);
    EXPECT_NE(utilityText.find("Command Line Parameter = DAILY.INI\r\n"), std::string::npos)
        << utilityText;
    EXPECT_NE(utilityText.find("Successful Backup"), std::string::npos) << utilityText;
    EXPECT_TRUE(fs::exists(drive / "Out" / "DAILY.zip"));
    EXPECT_NE(readFile(settings / "Torvane" / "Torvane Scheduler.ini").find("Date=" + tomorrow),
              std::string::npos);

    ASSERT_EQ(::kill(scheduler, SIGTERM), 0);
    EXPECT_EQ(waitForExit(scheduler, std::chrono::seconds(30)), 0);
}
#endif

}  // namespace
}  // namespace torvane::scheduler
