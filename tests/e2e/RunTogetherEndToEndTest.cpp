// Runs of the built Torvane that meet something else: another run started in the same minute, a
// termination signal before the backup starts, a set file its user may not read.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "CatchesSignal.h"
#include "TempDir.h"
#include "common/clsLog.h"

namespace torvane {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::writeFile;

const std::string kSet =
    "[BACKUP SOURCE]\r\nBackupFiles=C:\\DATA\\*.*\r\nBackupSubDirectories=ON\r\n"
    "[DESTINATION]\r\nBackupFileName=DAILY\r\nMultiVolumeBackup=OFF\r\nBackupToDrive=C:\\BACKUPS\\\r\n"
    "TimeBackup=OFF\r\n\r\n[RESTORE SOURCE]\r\nRestoreFromDrive=\r\nRestoreFileName=\r\n";

// A program folder C:\Prog with the utility and the set DAILY.INI, and a settings folder of its
// own; everything open to every user, so that a run can also be made as an ordinary user.
class RunTogether : public ::testing::Test {
protected:
    RunTogether() {
        fs::create_directories(prog);
        fs::copy_file(fs::path(TORVANE_BIN_DIR) / "Torvane", prog / "Torvane");
        fs::copy(fs::path(TORVANE_BIN_DIR) / "System", prog / "System", fs::copy_options::recursive);
        writeFile(c / "Data/a.txt", "alpha\n");
        fs::create_directories(c / "Backups");
        writeFile(dir / "cfg/Torvane/Drives.ini", "[Drives]\nC=" + c.string() + "\n");
        writeFile(prog / "DAILY.INI", kSet);
        for (const auto& entry : fs::recursive_directory_iterator(dir.path()))
            fs::permissions(entry.path(), fs::perms::all, fs::perm_options::add);
        fs::permissions(dir.path(), fs::perms::all, fs::perm_options::add);
    }

    // Starts `Torvane SET`; as root, `asUser` makes the run an ordinary user's.
    pid_t start(const std::string& set, int splashMs = 20, bool asUser = false) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::setenv("XDG_CONFIG_HOME", (dir / "cfg").c_str(), 1);
            ::setenv("TORVANE_SPLASH_MS", std::to_string(splashMs).c_str(), 1);
            ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
            if (asUser && ::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(126);
            const std::string program = (prog / "Torvane").string();
            ::execl(program.c_str(), program.c_str(), set.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        return pid;
    }

    // The exit status; a run that has not ended after a minute is stopped and fails the test.
    static int finish(pid_t pid) {
        for (int i = 0; i < 1200; ++i) {
            int status = 0;
            if (::waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        ADD_FAILURE() << "Torvane did not end";
        return -1;
    }

    std::vector<std::string> logLines() { return splitLogLines(readFile(prog / "Torvane.Log")); }

    // How many records carry `text` after their 20-character prefix.
    long records(const std::string& text) {
        const auto lines = logLines();
        return std::count_if(lines.begin(), lines.end(), [&](const std::string& line) {
            return line.size() >= 20 && line.compare(20, std::string::npos, text) == 0;
        });
    }

    test::TempDir dir;
    fs::path c = dir / "c";
    fs::path prog = c / "Prog";
};

// The scheduler starts one run per set due in the same minute; the second hands its set to the
// first as a previous instance, or runs it itself when the first has ended meanwhile. Either way
// the set is backed up twice and both runs' records are all there, under the one header.
TEST_F(RunTogether, TwoRunsStartedTogetherBothKeepEveryRecord) {
    for (int round = 0; round < 4; ++round) {
        fs::remove(prog / "Torvane.Log");
        const pid_t first = start("DAILY.INI");
        const pid_t second = start("DAILY.INI");
        ASSERT_EQ(finish(first), 0);
        ASSERT_EQ(finish(second), 0);

        const auto lines = logLines();
        ASSERT_GE(lines.size(), 12u);
        EXPECT_EQ(lines[2], "Torvane - Backup Utility");
        EXPECT_EQ(std::count(lines.begin(), lines.end(), "Transaction Log"), 1);
        const long ran = records("Command Line Parameter = DAILY.INI");
        const long previous = records("Previous Instance Detected - Not Started");
        EXPECT_GE(ran, 1);
        EXPECT_GE(previous, 2 - ran) << readFile(prog / "Torvane.Log");
        for (const char* record : {"Starting Backup DAILY.INI", "Creating Backup File C:\\BACKUPS\\DAILY.zip",
                                   "Finished Backup DAILY.INI", "Successful Backup"})
            EXPECT_EQ(records(record), 2) << record << "\n" << readFile(prog / "Torvane.Log");
        EXPECT_EQ(records("Application Closed - Unloaded by Invoked from code."), ran);
        EXPECT_EQ(std::count(lines.begin(), lines.end(), std::string(80, '-')), 3 + ran);
        EXPECT_EQ(lines.size(), 12u + 8 * ran + previous + 4 * (2 - ran));
    }
}

// A signal during the splash used to close the window with its "Exit" record and then run the
// whole backup anyway, ending with a second "Exit" record.
TEST_F(RunTogether, ASignalBeforeTheBackupStartsStopsTheRunWithOneExit) {
    const pid_t run = start("DAILY.INI", 4000);
    // Sent once the program catches it, while the splash is still up.
    ASSERT_TRUE(test::waitUntilCatches(run, SIGTERM));
    ASSERT_EQ(::kill(run, SIGTERM), 0);
    ASSERT_EQ(finish(run), 0);

    EXPECT_EQ(records("Command Line Parameter = DAILY.INI"), 1);
    EXPECT_EQ(records("Application Closed - Unloaded by Windows Task Manager is ending."), 1);
    EXPECT_EQ(records("Starting Backup DAILY.INI"), 0);
    EXPECT_EQ(logLines().size(), 12u + 4u);
    EXPECT_TRUE(fs::is_empty(c / "Backups"));
}

// A set file that exists but may not be read is not an empty set: the run fails, and nothing
// is written into the file.
TEST_F(RunTogether, AnUnreadableSetFailsTheRunAndIsLeftAsItWas) {
    fs::permissions(prog / "DAILY.INI", fs::perms::none);
    ASSERT_EQ(finish(start("DAILY.INI", 20, true)), 0);
    fs::permissions(prog / "DAILY.INI", fs::perms::owner_read);
    EXPECT_EQ(readFile(prog / "DAILY.INI"), kSet);
    EXPECT_TRUE(fs::is_empty(c / "Backups"));
    EXPECT_EQ(records("Unable to Start Backup - File DAILY.INI cannot be read: Permission denied."), 1)
        << readFile(prog / "Torvane.Log");
    EXPECT_EQ(records("Starting Backup DAILY.INI"), 0);
    EXPECT_EQ(records("Application Closed - Unloaded by Invoked from code."), 1);
}

}  // namespace
}  // namespace torvane
