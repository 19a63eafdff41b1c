// Unattended runs of the built Torvane at a real size and in the conditions a scheduler gives
// it: thousands of files, no display, a destination that fills up; and the exit status that
// tells the scheduler, cron or a script how each ended.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <set>

#include "BuildVersion.h"
#include "CatchesSignal.h"
#include "ProgramFolder.h"
#include "SmallDisk.h"

namespace torvane {
namespace {

using test::ProgramFolder;
using test::readFile;
using test::writeFile;
namespace fs = std::filesystem;

class UnattendedRun : public ::testing::Test {
protected:
    UnattendedRun() : program(TORVANE_BIN_DIR) { fs::create_directories(program.c() / "Backups"); }

    void writeSet(const std::string& files, const std::string& where, const std::string& multi) {
        writeFile(program.prog() / "DAILY.INI",
                  "[BACKUP SOURCE]\r\nBackupFiles=" + files + "\r\nBackupSubDirectories=ON\r\n"
                  "[DESTINATION]\r\nBackupFileName=DAILY\r\nMultiVolumeBackup=" + multi +
                  "\r\nBackupToDrive=" + where + "\r\nTimeBackup=OFF\r\n"
                  "\r\n[RESTORE SOURCE]\r\nRestoreFromDrive=\r\nRestoreFileName=\r\n");
    }
    // The records of a run, with or without the archive's line, from start to exit.
    static std::vector<std::string> runRecords(const std::vector<std::string>& middle) {
        std::vector<std::string> r{"Application " + test::buildVersion() + " Started",
                                   "Command Line Parameter = DAILY.INI", "Starting Backup DAILY.INI"};
        r.insert(r.end(), middle.begin(), middle.end());
        r.push_back("Application Closed - Unloaded by Invoked from code.");
        r.push_back(std::string(80, '-'));
        return r;
    }
    static std::string output(const std::string& command) {
        std::string text;
        FILE* pipe = ::popen(command.c_str(), "r");
        if (!pipe) return text;
        char buffer[65536];
        for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) text.append(buffer, n);
        ::pclose(pipe);
        return text;
    }

    ProgramFolder program;
};

TEST_F(UnattendedRun, TwentyThousandSmallFilesAreBackedUpAndTheLogIsComplete) {
    constexpr int kFiles = 20000;
    std::set<std::string> names;
    for (int i = 0; i < kFiles; ++i) {
        const std::string name = "Data/d" + std::to_string(i / 1000) + "/s" + std::to_string(i / 100 % 10) +
                                 "/file" + std::to_string(i) + ".txt";
        writeFile(program.c() / name, "small file " + std::to_string(i) + "\n");
        names.insert(name);
    }
    writeSet("C:\\DATA\\*.*", "C:\\BACKUPS\\", "OFF");
    const auto result = program.run({"DAILY.INI"});
    ASSERT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(program.logRecords(),
              runRecords({"Creating Backup File C:\\BACKUPS\\DAILY.zip", "Finished Backup DAILY.INI",
                          "Backup Verified - " + std::to_string(kFiles) + " file(s)", "Successful Backup"}));
    const std::string archive = (program.c() / "Backups/DAILY.zip").string();
    std::set<std::string> members;
    const std::string listing = output("unzip -Z1 '" + archive + "'");
    for (size_t at = 0, end; (end = listing.find('\n', at)) != std::string::npos; at = end + 1)
        members.insert(listing.substr(at, end - at));
    EXPECT_EQ(members.size(), names.size());
    EXPECT_TRUE(members == names);
    EXPECT_EQ(std::system(("unzip -tq '" + archive + "' >/dev/null").c_str()), 0);
}

TEST_F(UnattendedRun, WithoutADisplayASuccessfulRunPrintsNothing) {
    writeFile(program.c() / "Data/a.txt", "alpha\n");
    writeFile(program.c() / "Data/Sub/b.txt", "beta\n");
    writeSet("C:\\DATA\\*.*", "C:\\BACKUPS\\", "OFF");
    const auto result = program.run({"DAILY.INI"}, ProgramFolder::Display::None);
    ASSERT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(program.logRecords(),
              runRecords({"Creating Backup File C:\\BACKUPS\\DAILY.zip", "Finished Backup DAILY.INI",
                          "Backup Verified - 2 file(s)", "Successful Backup"}));
    EXPECT_TRUE(fs::exists(program.c() / "Backups/DAILY.zip"));
}

TEST_F(UnattendedRun, ADestinationThatFillsUpWithoutADisplayFailsInTheLogAlone) {
    const fs::path small = program.root() / "small";
    const test::SmallDisk disk(small);
    if (!disk.mounted()) GTEST_SKIP() << "mounting a small file system needs root";
    writeFile(program.c() / "Data/noise.bin", test::noise(2 << 20, 11));
    program.drives("F=" + small.string() + ", fixed\n");
    writeSet("C:\\DATA\\*.*", "F:\\", "OFF");
    const auto result = program.run({"DAILY.INI"}, ProgramFolder::Display::None);
    ASSERT_EQ(result.status, 2);
    const auto r = program.logRecords();
    ASSERT_EQ(r.size(), 8u) << ::testing::PrintToString(r);
    EXPECT_EQ(r[3], "Creating Backup File F:\\DAILY.zip");
    EXPECT_EQ(r[4], "Finished Backup DAILY.INI");
    EXPECT_EQ(r[5].rfind("Backup Failed - ", 0), 0u) << r[5];
    EXPECT_NE(r[5].find("space"), std::string::npos) << r[5];
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "");
    EXPECT_TRUE(fs::is_empty(small));
}

TEST_F(UnattendedRun, AMemberDamagedAfterWritingFailsTheRunWithItsName) {
    writeFile(program.c() / "Data/a.txt", "alpha\n");
    writeFile(program.c() / "Data/Sub/b.txt", std::string(100000, 'b'));
    writeSet("C:\\DATA\\*.*", "C:\\BACKUPS\\", "OFF");
    const auto result = program.start({"DAILY.INI"}, {.environment = {"TORVANE_FAULT_FLIP_MEMBER=Data/Sub/b.txt"}});
    EXPECT_EQ(program.finish(result).status, 2);
    const auto r = program.logRecords();
    ASSERT_EQ(r.size(), 8u) << ::testing::PrintToString(r);
    EXPECT_EQ(r[4], "Finished Backup DAILY.INI");
    const std::string failed = "Backup Failed - Verification: Data/Sub/b.txt - ";
    EXPECT_EQ(r[5].substr(0, failed.size()), failed) << r[5];
    EXPECT_GT(r[5].size(), failed.size());
    // The archive stays for what can still be taken from it; unzip finds the same damage.
    const std::string archive = (program.c() / "Backups/DAILY.zip").string();
    EXPECT_NE(std::system(("unzip -tq '" + archive + "' >/dev/null 2>&1").c_str()), 0);
}

TEST_F(UnattendedRun, AFileThatCannotBeReadEndsWithStatusOneAndASetWithoutVerifyIsNotReadBack) {
    writeFile(program.c() / "Data/a.txt", "alpha\n");
    writeFile(program.c() / "Data/locked.txt", "secret\n");
    writeFile(program.c() / "Data/c.txt", "gamma\n");
    writeSet("C:\\DATA\\*.*", "C:\\BACKUPS\\", "OFF");
    program.openToEveryone();
    fs::permissions(program.c() / "Data/locked.txt", fs::perms::none);
    EXPECT_EQ(program.finish(program.start({"DAILY.INI"}, {.asNobody = true})).status, 1);
    auto r = program.logRecords();
    ASSERT_EQ(r.size(), 10u) << ::testing::PrintToString(r);
    EXPECT_EQ(r[4], "Unable to Backup C:\\Data\\locked.txt");
    EXPECT_EQ(r[6], "Backup Verified - 2 file(s)");
    EXPECT_EQ(r[7], "Backup Completed with Errors - 1 file(s) skipped");

    fs::remove(program.prog() / "Torvane.Log");
    fs::permissions(program.c() / "Data/locked.txt", fs::perms::owner_read, fs::perm_options::add);
    writeFile(program.prog() / "DAILY.INI",
              readFile(program.prog() / "DAILY.INI") + "\r\n[Options]\r\nVerify=OFF\r\n");
    EXPECT_EQ(program.run({"DAILY.INI"}).status, 0);
    EXPECT_EQ(program.logRecords(), runRecords({"Creating Backup File C:\\BACKUPS\\DAILY.zip",
                                                "Finished Backup DAILY.INI", "Successful Backup"}));
}

TEST_F(UnattendedRun, ATerminationDuringTheRunEndsWithStatusThree) {
    // Zeros without end for the run's time: a sparse file the run cannot get through first.
    writeFile(program.c() / "Data/huge.bin", "");
    fs::resize_file(program.c() / "Data/huge.bin", 64ull << 30);
    writeSet("C:\\DATA\\*.*", "C:\\BACKUPS\\", "OFF");
    const pid_t pid = program.start({"DAILY.INI"}, {});
    ASSERT_TRUE(test::waitUntilCatches(pid, SIGTERM));
    const auto started = [&] {
        const auto r = program.logRecords();
        return std::find(r.begin(), r.end(), "Creating Backup File C:\\BACKUPS\\DAILY.zip") != r.end();
    };
    for (int i = 0; i < 2000 && !started(); ++i) ::usleep(10000);
    ASSERT_TRUE(started());
    ASSERT_EQ(::kill(pid, SIGTERM), 0);
    EXPECT_EQ(program.finish(pid).status, 3);
    const auto r = program.logRecords();
    EXPECT_NE(std::find(r.begin(), r.end(), "Cancelled by User"), r.end()) << ::testing::PrintToString(r);
    EXPECT_FALSE(fs::exists(program.c() / "Backups/DAILY.zip"));
}

}  // namespace
}  // namespace torvane
