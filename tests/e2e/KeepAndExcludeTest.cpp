// Time-stamped unattended runs of the built Torvane with a set that keeps its newest backups and
// leaves caches out, as a scheduler would start it day after day.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <set>
#include <thread>

#include "ProgramFolder.h"
#include "SmallDisk.h"

namespace torvane {
namespace {

using test::ProgramFolder;
using test::readFile;
using test::writeFile;
namespace fs = std::filesystem;

class KeepAndExclude : public ::testing::Test {
  protected:
    KeepAndExclude() : program(TORVANE_BIN_DIR) {
        fs::create_directories(program.c() / "Backups");
        writeFile(program.c() / "Data/notes.txt", "notes\n");
        writeFile(program.c() / "Data/draft.tmp", "scratch\n");
        writeFile(program.c() / "Data/Work/report.doc", "report\n");
        writeFile(program.c() / "Data/Work/Cache/page.bin", "cached\n");
        writeFile(program.c() / "Data/cache/thumb.bin", "cached\n");
    }
    void writeSet(const std::string& where, const std::string& keep) {
        writeFile(
            program.prog() / "DAILY.INI",
            "[BACKUP SOURCE]\r\nBackupFiles=C:\\DATA\\*.*\r\nBackupSubDirectories=ON\r\n"
            "[DESTINATION]\r\nBackupFileName=DAILY\r\nMultiVolumeBackup=OFF\r\nBackupToDrive=" +
                where +
                "\r\nTimeBackup=ON\r\n\r\n[RESTORE "
                "SOURCE]\r\nRestoreFromDrive=\r\nRestoreFileName=\r\n"
                "\r\n[OPTIONS]\r\nExclude=*.tmp;CACHE\\\r\nKeep=" +
                keep + "\r\n");
    }
    static std::vector<std::string> folders(const fs::path& destination) {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(destination))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    static std::string stampNow() {
        const std::time_t now = std::time(nullptr);
        std::tm local{};
        ::localtime_r(&now, &local);
        char text[32];
        std::strftime(text, sizeof text, "%Y%m%d_%H%M%S", &local);
        return text;
    }
    // Waits for the clock to pass `stamp`, so that the next run gets a folder of its own.
    static void nextSecondAfter(const std::string& stamp) {
        while (stampNow() <= stamp) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    static std::set<std::string> unzipListing(const fs::path& archive) {
        std::set<std::string> names;
        FILE* pipe = ::popen(("unzip -Z1 '" + archive.string() + "'").c_str(), "r");
        if (!pipe) return names;
        char line[4096];
        while (std::fgets(line, sizeof line, pipe)) {
            std::string name(line);
            if (!name.empty() && name.back() == '\n') name.pop_back();
            names.insert(name);
        }
        ::pclose(pipe);
        return names;
    }
    std::vector<std::string> recordsWith(const std::string& start) const {
        std::vector<std::string> out;
        for (const std::string& r : program.logRecords())
            if (r.rfind(start, 0) == 0) out.push_back(r);
        return out;
    }

    ProgramFolder program;
};

TEST_F(KeepAndExclude, SixRunsKeepTheNewestThreeAndLeaveEverythingElseAlone) {
    const fs::path backups = program.c() / "Backups";
    writeFile(backups / "20000101_000000/DAILY.zip", "an archive beside the user's file");
    writeFile(backups / "20000101_000000/notes.txt", "the user's");
    writeFile(backups / "20000101_000001/WEEKLY.zip", "another set's archive");
    writeSet("C:\\BACKUPS\\", "3");

    std::vector<std::string> runs;
    for (int run = 0; run < 6; ++run) {
        if (!runs.empty()) nextSecondAfter(runs.back());
        const auto result = program.run({"DAILY.INI"});
        ASSERT_EQ(result.status, 0);
        const std::vector<std::string> now = folders(backups);
        ASSERT_FALSE(now.empty());
        runs.push_back(now.back());
        ASSERT_EQ(recordsWith("Successful Backup").size(), runs.size());
    }
    ASSERT_EQ(std::set<std::string>(runs.begin(), runs.end()).size(), 6u) << "one folder per run";

    EXPECT_EQ(folders(backups), (std::vector<std::string>{"20000101_000000", "20000101_000001",
                                                          runs[3], runs[4], runs[5]}));
    EXPECT_EQ(recordsWith("Removed Old Backup "),
              (std::vector<std::string>{"Removed Old Backup C:\\Backups\\" + runs[0] + "\\",
                                        "Removed Old Backup C:\\Backups\\" + runs[1] + "\\",
                                        "Removed Old Backup C:\\Backups\\" + runs[2] + "\\"}));
    const std::vector<std::string> r = program.logRecords();
    EXPECT_EQ(std::vector<std::string>(r.end() - 4, r.end() - 2),
              (std::vector<std::string>{"Successful Backup",
                                        "Removed Old Backup C:\\Backups\\" + runs[2] + "\\"}));
    EXPECT_EQ(readFile(backups / "20000101_000000/notes.txt"), "the user's");
    EXPECT_EQ(folders(backups / "20000101_000000"),
              (std::vector<std::string>{"DAILY.zip", "notes.txt"}));
    EXPECT_EQ(readFile(backups / "20000101_000001/WEEKLY.zip"), "another set's archive");

    EXPECT_EQ(unzipListing(backups / runs[5] / "DAILY.zip"),
              (std::set<std::string>{"Data/notes.txt", "Data/Work/report.doc"}));
}

TEST_F(KeepAndExclude, AFailedRunRemovesNothing) {
    const fs::path small = program.root() / "small";
    const test::SmallDisk disk(small);
    if (!disk.mounted()) GTEST_SKIP() << "mounting a small file system needs root";
    for (const char* earlier : {"20000101_000000", "20000102_000000", "20000103_000000"})
        writeFile(small / earlier / "DAILY.zip", "an earlier run's archive");
    writeFile(program.c() / "Data/noise.bin", test::noise(2 << 20, 5));
    program.drives("F=" + small.string() + ", fixed\n");
    writeSet("F:\\", "1");

    const auto result = program.run({"DAILY.INI"});
    ASSERT_EQ(result.status, 2);
    ASSERT_EQ(recordsWith("Backup Failed - ").size(), 1u)
        << ::testing::PrintToString(program.logRecords());
    EXPECT_TRUE(recordsWith("Removed Old Backup").empty());
    for (const char* earlier : {"20000101_000000", "20000102_000000", "20000103_000000"})
        EXPECT_EQ(readFile(small / earlier / "DAILY.zip"), "an earlier run's archive") << earlier;
}

TEST_F(KeepAndExclude, ARunThatDoesNotReadBackWholeRemovesNothing) {
    const fs::path backups = program.c() / "Backups";
    for (const char* earlier : {"20000101_000000", "20000102_000000"})
        writeFile(backups / earlier / "DAILY.zip", "an earlier run's archive");
    writeSet("C:\\BACKUPS\\", "1");

    const auto started =
        program.start({"DAILY.INI"}, {.environment = {"TORVANE_FAULT_FLIP_MEMBER=Data/notes.txt"}});
    EXPECT_EQ(program.finish(started).status, 2);
    ASSERT_EQ(recordsWith("Backup Failed - Verification: Data/notes.txt - ").size(), 1u)
        << ::testing::PrintToString(program.logRecords());
    EXPECT_TRUE(recordsWith("Removed Old Backup").empty());
    for (const char* earlier : {"20000101_000000", "20000102_000000"})
        EXPECT_EQ(readFile(backups / earlier / "DAILY.zip"), "an earlier run's archive") << earlier;
}

}  // namespace
}  // namespace torvane
