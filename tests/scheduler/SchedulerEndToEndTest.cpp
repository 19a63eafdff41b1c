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
        fs::copy_file(STANDIN_BINARY, program / "Torvane");
        writeFile(program / "DAILY.INI", "[Backup]\n");
        writeFile(settings / "Torvane" / "Drives.ini", "[Drives]\nC=" + drive.string() + "\n");
    }

    ~InstalledScheduler() override {
        for (pid_t pid : running) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        }
    }

    pid_t start() {
        std::vector<std::string> environment;
        for (char** entry = environ; *entry; ++entry) {
            const std::string text = *entry;
            if (text.rfind("XDG_CONFIG_HOME=", 0) != 0 && text.rfind("QT_QPA_PLATFORM=", 0) != 0)
                environment.push_back(text);
        }
        environment.push_back("XDG_CONFIG_HOME=" + settings.string());
        environment.push_back("QT_QPA_PLATFORM=offscreen");
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

TEST_F(InstalledScheduler, StartsTheUtilityForAnEventDueNowAndHandsASecondStartOver) {
    // Splash and first tick take about ten seconds: keep the due minute clear of its end.
    while (localNow().second > 40) std::this_thread::sleep_for(std::chrono::seconds(1));
    const LocalNow now = localNow();
    const std::string tomorrow = formatShortDate(addDays(now.date, 1));
    writeFile(settings / "Torvane" / "Torvane Scheduler.ini",
              "[Item1]\nBackupSet=DAILY.INI\nSchedule=Daily\nDate=" + formatShortDate(now.date) +
                  "\nTime=" + formatShortTime(now.time) + "\nStatus=Enabled\n");

    const pid_t first = start();
    ASSERT_TRUE(waitFor(log, "Backup DAILY.INI Started\r\n", std::chrono::seconds(60))) << readFile(log);
    ASSERT_TRUE(waitFor(program / "started.txt", "\n", std::chrono::seconds(30)));
    EXPECT_EQ(readFile(program / "started.txt"), "1|DAILY.INI|" + program.string() + "\n");
    const std::string store = readFile(settings / "Torvane" / "Torvane Scheduler.ini");
    EXPECT_NE(store.find("Date=" + tomorrow), std::string::npos) << store;
    EXPECT_NE(store.find("Torvane=C:\\Torvane\\Torvane"), std::string::npos) << store;
    EXPECT_TRUE(fileHas(log, "Torvane Backup found in C:\\TORVANE\\TORVANE\r\n"));

    const pid_t second = start();
    EXPECT_EQ(waitForExit(second, std::chrono::seconds(60)), 0);
    EXPECT_TRUE(fileHas(log, "Application Started.  Previous Instance Detected.  Loading Previous Instance\r\n"));
    EXPECT_EQ(waitForExit(first, std::chrono::seconds(0)), -1) << "the first instance ended";

    ASSERT_EQ(::kill(first, SIGTERM), 0);
    EXPECT_EQ(waitForExit(first, std::chrono::seconds(30)), 0);
    const std::string text = readFile(log);
    EXPECT_EQ(text.substr(text.size() - 102), "Application Closed\r\n" + std::string(80, '-') + "\r\n");
}

}  // namespace
}  // namespace torvane::scheduler
