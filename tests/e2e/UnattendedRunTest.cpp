// Unattended runs of the built Torvane at a real size and in the conditions a scheduler gives
// it: thousands of files, no display, a destination that fills up.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <set>

#include "BuildVersion.h"
#include "ProgramFolder.h"
#include "SmallDisk.h"

namespace torvane {
namespace {

using test::ProgramFolder;
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
    EXPECT_EQ(program.logRecords(), runRecords({"Creating Backup File C:\\BACKUPS\\DAILY.zip",
                                                "Finished Backup DAILY.INI", "Successful Backup"}));
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
    EXPECT_EQ(program.logRecords(), runRecords({"Creating Backup File C:\\BACKUPS\\DAILY.zip",
                                                "Finished Backup DAILY.INI", "Successful Backup"}));
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
    ASSERT_EQ(result.status, 0);
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

}  // namespace
}  // namespace torvane
