#include <gtest/gtest.h>

#include "SchedulerFixture.h"
#include "scheduler/clsFiles.h"

namespace torvane::scheduler {
namespace {

namespace fs = std::filesystem;
using torvane::test::writeFile;

class FindUtility : public ::testing::Test {
protected:
    test::SchedulerWorld world{true};
    fs::path elsewhere = world.temp / "elsewhere";  // on no drive

    FindUtility() {
        writeFile(world.mountTable, "proc " + (world.driveRoot / "proc").string() + " proc rw 0 0\n");
        fs::create_directories(elsewhere);
    }

    std::string find(const fs::path& currentFolder = {}) const {
        return clsFiles(*world.host, currentFolder.empty() ? elsewhere : currentFolder).FindFile("Torvane", "C:");
    }
};

TEST_F(FindUtility, WalksTheDriveDepthFirstAndGivesADrivePath) {
    writeFile(world.driveRoot / "opt" / "apps" / "Backup" / "Torvane", "x");
    EXPECT_EQ(find(), "C:\\opt\\apps\\Backup\\Torvane");
}

TEST_F(FindUtility, MatchesTheNameWithoutRegardToCase) {
    writeFile(world.driveRoot / "apps" / "TORVANE", "x");
    EXPECT_EQ(find(), "C:\\apps\\TORVANE");
}

TEST_F(FindUtility, AFolderIsNoMatchAndNothingFoundIsEmpty) {
    fs::create_directories(world.driveRoot / "data" / "Torvane");
    EXPECT_EQ(find(), "");
}

TEST_F(FindUtility, NeverFollowsDirectorySymlinks) {
    fs::create_directories(world.driveRoot / "loop");
    fs::create_directory_symlink(world.driveRoot, world.driveRoot / "loop" / "again");
    writeFile(elsewhere / "outside" / "Torvane", "x");
    fs::create_directory_symlink(elsewhere / "outside", world.driveRoot / "link");
    EXPECT_EQ(find(), "");
}

TEST_F(FindUtility, SkipsPseudoFileSystems) {
    writeFile(world.driveRoot / "proc" / "1" / "Torvane", "x");
    writeFile(world.driveRoot / "usr" / "Torvane", "x");
    EXPECT_EQ(find(), "C:\\usr\\Torvane");
}

TEST_F(FindUtility, LooksInTheCurrentFolderThenItsOwnFolderFirst) {
    writeFile(world.driveRoot / "aaa" / "Torvane", "x");
    writeFile(world.programFolder / "Torvane", "x");
    writeFile(world.driveRoot / "work" / "Torvane", "x");
    EXPECT_EQ(find(world.driveRoot / "work"), "C:\\work\\Torvane");
    EXPECT_EQ(find(), "C:\\Scheduler\\Torvane");
    fs::remove(world.programFolder / "Torvane");
    fs::remove(world.driveRoot / "work" / "Torvane");
    EXPECT_EQ(find(), "C:\\aaa\\Torvane");
}

TEST_F(FindUtility, AnUnmappedDriveFindsNothing) {
    writeFile(world.driveRoot / "x" / "Torvane", "x");
    EXPECT_EQ(clsFiles(*world.host, elsewhere).FindFile("Torvane", "Q:"), "");
}

TEST(FileServices, BackupPartsSplitsDrivePaths) {
    test::SchedulerWorld world;
    const clsFiles files(*world.host, world.programFolder);
    EXPECT_EQ(files.Backup_Parts("E:\\Tools\\Torvane", 0), "E:\\");
    EXPECT_EQ(files.Backup_Parts("E:\\Tools\\Torvane", 1), "E:\\Tools\\");
    EXPECT_EQ(files.Backup_Parts("E:\\Tools\\Torvane", 2), "Torvane");
    EXPECT_EQ(files.Backup_Parts("DATA\\*.*", 0), "C:\\");
    EXPECT_EQ(files.Backup_Parts("\\", 0), "C:\\");
    EXPECT_EQ(files.Backup_Parts("\\WEEKLY.INI", 1), "");
    EXPECT_EQ(files.Backup_Parts("\\WEEKLY.INI", 2), "");
    EXPECT_EQ(files.Backup_Parts("WEEKLY.INI", 1), "");
    EXPECT_EQ(files.Backup_Parts("WEEKLY.INI", 2), "WEEKLY.INI");
    EXPECT_EQ(files.Backup_Parts("E:\\Tools\\Torvane", 3), "");
}

}  // namespace
}  // namespace torvane::scheduler
