#include <gtest/gtest.h>

#include <algorithm>

#include "SmallDisk.h"
#include "TempDir.h"
#include "backup/Retention.h"
#include "backupsets/SetOptions.h"

namespace torvane {
namespace {

using test::TempDir;
using test::writeFile;
namespace fs = std::filesystem;

std::vector<std::string> entries(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(Retention, StampNamesAndKeepValues) {
    EXPECT_TRUE(isStampFolder("20261231_235959"));
    for (const char* name : {"20261231-235959", "2026123_2359590", "20261231_23595a",
                             "20261231_2359590", "20261231_235959 ", "x0261231_235959", ""})
        EXPECT_FALSE(isStampFolder(name)) << name;

    EXPECT_EQ(keepCount(""), 0u);
    EXPECT_EQ(keepCount(" 3 "), 3u);
    EXPECT_EQ(keepCount("0"), 0u);
    EXPECT_EQ(keepCount("99999999999999999999"), std::numeric_limits<unsigned>::max());
    for (const char* bad : {"three", "-1", "3x", "+3", "3 4", "1.5"})
        EXPECT_FALSE(keepCount(bad)) << bad;
}

TEST(Retention, AFolderCountsOnlyWhenItHoldsTheSetsArchiveAndNothingElse) {
    TempDir dir;
    const auto folder = [&](const std::string& name, std::initializer_list<const char*> files) {
        for (const char* f : files) writeFile(dir / name / f, "x");
        fs::create_directories(dir / name);
        return holdsOnlyArchive(dir / name, "DAILY.zip");
    };
    EXPECT_TRUE(folder("one", {"DAILY.zip"}));
    EXPECT_TRUE(folder("split", {"DAILY.zip", "DAILY.z01", "daily.Z02", "DAILY.z100"}));
    EXPECT_FALSE(folder("empty", {}));
    EXPECT_FALSE(folder("volumes", {"DAILY.z01", "DAILY.z02"}))
        << "a split set without its last volume";
    EXPECT_FALSE(folder("foreign", {"DAILY.zip", "notes.txt"}));
    EXPECT_FALSE(folder("other", {"OTHER.zip"}));
    EXPECT_FALSE(folder("lookalikes", {"DAILY.zip", "DAILY.zip.bak"}));
    EXPECT_FALSE(folder("short", {"DAILY.zip", "DAILY.z1"}));
    EXPECT_FALSE(folder("nested", {"DAILY.zip", "Sub/DAILY.zip"}));
    EXPECT_FALSE(folder("temporary", {"DAILY.zip", ".DAILY.zip.tvtmp1-0"}));
}

TEST(Retention, RemovesTheOldestOfTheSetsBackupsAndNothingElse) {
    TempDir dir;
    const fs::path dest = dir / "Backups";
    const char* runs[] = {"20270101_000001", "20270101_000002", "20270101_000003",
                          "20270102_000000", "20270102_000001", "20271231_235959"};
    for (const char* run : runs) writeFile(dest / run / "DAILY.zip", "archive");
    writeFile(dest / "20270101_000002/DAILY.z01", "first volume");
    writeFile(dest / "20260101_000000/DAILY.zip", "archive beside a foreign file");
    writeFile(dest / "20260101_000000/notes.txt", "the user's");
    writeFile(dest / "20260101_000001/OTHER.zip", "another set's");
    writeFile(dest / "Old/DAILY.zip", "not a run's folder");
    writeFile(dest / "20260101_000002", "a file with a run's name");
    writeFile(dir / "elsewhere/DAILY.zip", "reached through a link");
    fs::create_directory_symlink(dir / "elsewhere", dest / "20260101_000003");

    EXPECT_TRUE(removeOldBackups(dest, "DAILY.zip", 0, {}).empty());
    EXPECT_EQ(entries(dest).size(), 11u);

    const std::vector<Removal> removed =
        removeOldBackups(dest, "DAILY.zip", 3, {dest / "20270101_000001"});
    ASSERT_EQ(removed.size(), 2u);
    EXPECT_EQ(removed[0].folder, dest / "20270101_000002");
    EXPECT_EQ(removed[1].folder, dest / "20270101_000003");
    for (const Removal& r : removed) EXPECT_EQ(r.error, "");
    EXPECT_EQ(entries(dest),
              (std::vector<std::string>{"20260101_000000", "20260101_000001", "20260101_000002",
                                        "20260101_000003", "20270101_000001", "20270102_000000",
                                        "20270102_000001", "20271231_235959", "Old"}));
    EXPECT_EQ(entries(dest / "20260101_000000"),
              (std::vector<std::string>{"DAILY.zip", "notes.txt"}));
    EXPECT_EQ(entries(dir / "elsewhere"), std::vector<std::string>{"DAILY.zip"});

    // The spared folder stays however often the set runs; the newest three always remain.
    EXPECT_TRUE(removeOldBackups(dest, "DAILY.zip", 3, {dest / "20270101_000001/"}).empty());
}

TEST(Retention, AFolderThatCannotBeRemovedIsReportedAndTheOthersStillGo) {
    TempDir dir;
    const fs::path dest = dir / "Backups";
    for (const char* run : {"20270101_000001", "20270101_000002", "20270101_000003"})
        writeFile(dest / run / "DAILY.zip", "archive");
    const fs::path stuck = dest / "20270101_000001";
    test::SmallDisk disk(stuck, "64k");
    if (!disk.mounted()) GTEST_SKIP() << "mounting a read-only folder needs root";
    writeFile(stuck / "DAILY.zip", "archive on a read-only file system");
    ASSERT_TRUE(disk.makeReadOnly());

    const std::vector<Removal> removed = removeOldBackups(dest, "DAILY.zip", 1, {});
    ASSERT_EQ(removed.size(), 2u);
    EXPECT_EQ(removed[0].folder, stuck);
    EXPECT_EQ(removed[0].error, "Read-only file system");
    EXPECT_EQ(removed[1].folder, dest / "20270101_000002");
    EXPECT_EQ(removed[1].error, "");
    EXPECT_EQ(entries(stuck), std::vector<std::string>{"DAILY.zip"});
    EXPECT_FALSE(fs::exists(dest / "20270101_000002"));
}

}  // namespace
}  // namespace torvane
