// Runs the built Torvane from a temporary program folder with its own settings folder and
// Drives.ini, as a scheduled backup would start it.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "BuildVersion.h"
#include "SmallDisk.h"
#include "TempDir.h"
#include "common/clsLog.h"

namespace torvane {
namespace {

using test::readFile;
using test::writeFile;
namespace fs = std::filesystem;

class UtilityEndToEnd : public ::testing::Test {
protected:
    UtilityEndToEnd() {
        c = dir / "c";
        prog = c / "Prog";
        fs::create_directories(prog);
        fs::copy_file(fs::path(TORVANE_BIN_DIR) / "Torvane", prog / "Torvane");
        fs::copy(fs::path(TORVANE_BIN_DIR) / "System", prog / "System", fs::copy_options::recursive);
        writeFile(c / "Data/a.txt", "alpha\n");
        writeFile(c / "Data/Sub/b.txt", "beta\n");
        fs::create_directories(c / "Backups");
        drives("");
        writeSet("DAILY.INI", "C:\\DATA\\*.*", "C:\\BACKUPS\\", "OFF", "ON");
    }

    void drives(const std::string& extra) {
        writeFile(dir / "cfg/Torvane/Drives.ini", "[Drives]\nC=" + c.string() + ", fixed\n" + extra);
    }
    std::string drive(const std::string& letter, const std::string& type) {
        fs::create_directories(dir / letter);
        return letter + "=" + (dir / letter).string() + ", " + type + "\n";
    }
    void writeSet(const std::string& name, const std::string& files, const std::string& where,
                  const std::string& multi, const std::string& time) {
        writeFile(prog / name, "[BACKUP SOURCE]\r\nBackupFiles=" + files + "\r\nBackupSubDirectories=ON\r\n"
                               "[DESTINATION]\r\nBackupFileName=DAILY\r\nMultiVolumeBackup=" + multi +
                               "\r\nBackupToDrive=" + where + "\r\nTimeBackup=" + time +
                               "\r\n\r\n[RESTORE SOURCE]\r\nRestoreFromDrive=\r\nRestoreFileName=\r\n");
    }

    pid_t start(const std::vector<std::string>& args) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::setenv("XDG_CONFIG_HOME", (dir / "cfg").c_str(), 1);
            ::setenv("TORVANE_SPLASH_MS", "20", 1);
            ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
            ::chdir(dir.path().c_str());
            std::vector<std::string> all{(prog / "Torvane").string()};
            all.insert(all.end(), args.begin(), args.end());
            std::vector<char*> argv;
            for (auto& a : all) argv.push_back(a.data());
            argv.push_back(nullptr);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        return pid;
    }
    int wait(pid_t pid) {
        for (int i = 0; i < 1200; ++i) {
            int status = 0;
            if (::waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        ADD_FAILURE() << "Torvane did not end";
        return -1;
    }
    int run(const std::vector<std::string>& args) { return wait(start(args)); }

    // The log's records without their date prefix; an "Exit" record's hyphen line included.
    std::vector<std::string> records() {
        if (!fs::exists(prog / "Torvane.Log")) return {};
        const auto lines = splitLogLines(readFile(prog / "Torvane.Log"));
        std::vector<std::string> out;
        for (size_t i = 12; i < lines.size(); ++i)
            out.push_back(lines[i].size() >= 20 && lines[i] != std::string(80, '-') ? lines[i].substr(20) : lines[i]);
        return out;
    }
    std::vector<std::string> backupRecords() {
        const auto all = records();
        return std::vector<std::string>(all.begin() + 2, all.end() - 2);
    }
    std::string key(const std::string& k) {
        const std::string text = readFile(prog / "DAILY.INI");
        const size_t at = text.find(k + "=");
        return at == std::string::npos ? "<missing>" : text.substr(at + k.size() + 1, text.find("\r\n", at) - at - k.size() - 1);
    }
    static int shell(const std::string& command) { return std::system(command.c_str()); }

    test::TempDir dir;
    fs::path c, prog;
};

TEST_F(UtilityEndToEnd, TimeStampedRunsMakeAFolderEachAndRecordTheLater) {
    ASSERT_EQ(run({"DAILY.INI"}), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    ASSERT_EQ(run({"DAILY.INI"}), 0);
    std::vector<fs::path> folders;
    for (const auto& e : fs::directory_iterator(c / "Backups")) folders.push_back(e.path());
    std::sort(folders.begin(), folders.end());
    ASSERT_EQ(folders.size(), 2u);
    const std::string stamp = folders[1].filename().string();
    EXPECT_EQ(key("RestoreFromDrive"), "C:\\BACKUPS\\" + stamp + "\\");
    EXPECT_EQ(key("RestoreFileName"), "DAILY.zip");
    const auto r = records();
    ASSERT_EQ(r.size(), 18u);
    EXPECT_EQ(r[9], "Application " + test::buildVersion() + " Started");
    EXPECT_EQ(r[10], "Command Line Parameter = DAILY.INI");
    EXPECT_EQ(r[11], "Starting Backup DAILY.INI");
    EXPECT_EQ(r[12], "Creating Backup File C:\\BACKUPS\\" + stamp + "\\DAILY.zip");
    EXPECT_EQ(r[13], "Finished Backup DAILY.INI");
    EXPECT_EQ(r[14], "Backup Verified - 2 file(s)");
    EXPECT_EQ(r[15], "Successful Backup");
    EXPECT_EQ(r[16], "Application Closed - Unloaded by Invoked from code.");
    EXPECT_EQ(r[17], std::string(80, '-'));
    EXPECT_EQ(shell("unzip -tq '" + (folders[1] / "DAILY.zip").string() + "' >/dev/null"), 0);
    EXPECT_EQ(shell("unzip -Z1 '" + (folders[1] / "DAILY.zip").string() + "' | sort | tr '\\n' ' ' | grep -qx 'Data/Sub/b.txt Data/a.txt '"), 0);
}

TEST_F(UtilityEndToEnd, WithoutTimeStampEveryRunWritesTheSameArchive) {
    writeSet("DAILY.INI", "C:\\DATA\\*.TXT", "C:\\BACKUPS\\", "OFF", "OFF");
    ASSERT_EQ(run({"DAILY.INI"}), 0);
    EXPECT_EQ(backupRecords().back(), "Successful Backup");
    EXPECT_EQ(key("RestoreFromDrive"), "C:\\BACKUPS\\");
    EXPECT_EQ(shell("unzip -tq '" + (c / "Backups/DAILY.zip").string() + "' >/dev/null"), 0);
    EXPECT_EQ(shell("7z t '" + (c / "Backups/DAILY.zip").string() + "' >/dev/null"), 0);
}

TEST_F(UtilityEndToEnd, SetNameIsTakenAsTypedAndFoundWithoutRegardToCase) {
    ASSERT_EQ(run({"daily.ini"}), 0);
    const auto r = backupRecords();
    ASSERT_EQ(r.size(), 5u);
    EXPECT_EQ(r[0], "Starting Backup daily.ini");
    EXPECT_EQ(r[4], "Successful Backup");
    EXPECT_EQ(key("RestoreFileName"), "DAILY.zip");
}

TEST_F(UtilityEndToEnd, MissingSetFileIsOnlyLogged) {
    ASSERT_EQ(run({"NOPE.INI"}), 2);
    const auto r = records();
    ASSERT_EQ(r.size(), 5u);
    EXPECT_EQ(r[2], "Unable to Start Backup - File NOPE.INI does not exist.");
    EXPECT_EQ(r[3], "Application Closed - Unloaded by Invoked from code.");
}

TEST_F(UtilityEndToEnd, RefusalsWriteThreeLinesAndNoArchive) {
    drives(drive("R", "ramdisk") + drive("Z", "cdrom") + drive("E", "removable"));
    struct Case {
        const char* files;
        const char* where;
        const char* multi;
        const char* line;
    };
    for (const Case& k : std::initializer_list<Case>{
             {"C:\\NODATA\\*.*", "C:\\BACKUPS\\", "OFF", "Backup Failed - Unable to locate C:\\NODATA\\*.*"},
             {"C:\\DATA\\*.*", "Z:\\", "OFF", "Backup Failed - Cannot Backup to CDROM Drive Z:\\"},
             {"C:\\DATA\\*.*", "R:\\", "OFF", "Backup Failed - Cannot Backup to RAM Disk R:\\"},
             {"C:\\DATA\\*.*", "E:\\", "OFF", "Backup Failed - MultiVolume Flag NOT set for Removable Drive E:\\"},
             {"C:\\DATA\\*.*", "C:\\BACKUPS\\", "ON", "Backup Failed - MultiVolume Flag set for Non-Removable Drive C:\\"},
         }) {
        fs::remove(prog / "Torvane.Log");
        writeSet("DAILY.INI", k.files, k.where, k.multi, "ON");
        ASSERT_EQ(run({"DAILY.INI"}), 2);
        EXPECT_EQ(backupRecords(),
                  (std::vector<std::string>{"Starting Backup DAILY.INI", "Finished Backup DAILY.INI", k.line}));
    }
    EXPECT_TRUE(fs::is_empty(c / "Backups"));
    EXPECT_TRUE(fs::is_empty(dir / "E"));
    EXPECT_EQ(key("RestoreFileName"), "");
}

TEST_F(UtilityEndToEnd, MultiVolumeToARemovableDriveRuns) {
    drives(drive("E", "removable"));
    writeSet("DAILY.INI", "C:\\DATA\\*.*", "E:\\", "ON", "OFF");
    ASSERT_EQ(run({"DAILY.INI"}), 0);
    EXPECT_EQ(backupRecords().back(), "Successful Backup");
    EXPECT_EQ(shell("unzip -tq '" + (dir / "E/DAILY.zip").string() + "' >/dev/null"), 0);
}

TEST_F(UtilityEndToEnd, DestinationThatFillsUpFailsAndKeepsTheRestoreInformation) {
    const test::SmallDisk disk(dir / "small");
    if (!disk.mounted()) GTEST_SKIP() << "mounting a small file system needs root";
    writeFile(c / "Data/noise.bin", test::noise(2 << 20, 7));
    drives("F=" + (dir / "small").string() + ", fixed\n");
    writeSet("DAILY.INI", "C:\\DATA\\*.*", "F:\\", "OFF", "OFF");
    ASSERT_EQ(run({"DAILY.INI"}), 2);
    const auto r = backupRecords();
    ASSERT_EQ(r.size(), 4u);
    EXPECT_EQ(r[2], "Finished Backup DAILY.INI");
    EXPECT_EQ(r[3].rfind("Backup Failed - ", 0), 0u) << r[3];
    EXPECT_NE(r[3].find("space"), std::string::npos) << r[3];
    EXPECT_EQ(key("RestoreFileName"), "");
    EXPECT_TRUE(fs::is_empty(dir / "small"));
}

TEST_F(UtilityEndToEnd, SecondInstanceIsRefusedWhileTheFirstRuns) {
    const pid_t first = start({});
    for (int i = 0; i < 400 && records().size() < 2; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(25));
    ASSERT_EQ(records().size(), 2u) << "the first instance did not start";
    ASSERT_EQ(run({"DAILY.INI"}), 0);
    EXPECT_EQ(records().back(), "Previous Instance Detected - Not Started");
    EXPECT_TRUE(fs::is_empty(c / "Backups"));
    ::kill(first, SIGTERM);
    EXPECT_EQ(wait(first), 0);
    const auto r = records();
    EXPECT_EQ(r[r.size() - 2], "Application Closed - Unloaded by Windows Task Manager is ending.");
    EXPECT_EQ(r[1], "Command Line Parameter = Nil");
}

}  // namespace
}  // namespace torvane
