#include <gtest/gtest.h>

#include <random>

#include "TempDir.h"
#include "ZipTestSupport.h"
#include "zip/ArchiveOutput.h"
#include "zip/ZipEngine.h"

namespace torvane::zip::test {
namespace {

using torvane::test::readFile;
using torvane::test::TempDir;
using torvane::test::writeFile;

void makeSource(const std::filesystem::path& root) {
    std::mt19937 gen(3);
    std::string noise(900'000, '\0');
    for (auto& c : noise) c = static_cast<char>(gen());
    writeFile(root / "noise.bin", noise);
    // Over one compression block, so its data descriptor and blocks cross volume ends too.
    std::string log;
    while (log.size() < 2'500'000) log += "entry " + std::to_string(gen() % 100000) + " logged\n";
    writeFile(root / "app.log", log);
    for (int i = 0; i < 40; ++i)
        writeFile(root / "docs" / ("f" + std::to_string(i) + ".txt"),
                  std::string(3000 + i, 'a' + i % 26));
}

TEST(MultiVolume, SplitSetFollowsTheConventionAndReadsBack) {
    TempDir tmp;
    makeSource(tmp / "src");
    BackupRequest req = backupOf(tmp / "src", tmp / "out" / "SET.zip");
    req.multiVolume = true;
    req.volumeSize = 256 * 1024;
    std::vector<int> asked;
    req.nextDisk = [&](int n) {
        asked.push_back(n);
        return true;
    };
    NoEvents none;
    Outcome o = createArchive(req, none);
    ASSERT_EQ(o.status, Outcome::Status::Success) << o.reason;
    std::vector<std::string> names = allEntries(tmp / "out");
    ASSERT_GE(names.size(), 4u);
    std::vector<std::string> expected;
    std::vector<int> expectedAsks;
    for (std::size_t i = 1; i < names.size(); ++i) {
        expected.push_back((i < 10 ? "SET.z0" : "SET.z") + std::to_string(i));
        expectedAsks.push_back(static_cast<int>(i) + 1);
    }
    expected.push_back("SET.zip");
    EXPECT_EQ(names, expected);
    EXPECT_EQ(asked, expectedAsks);
    for (const auto& name : allEntries(tmp / "out"))
        EXPECT_LE(std::filesystem::file_size(tmp / "out" / name), 256u * 1024) << name;

    if (hasTool("7z")) {
        EXPECT_TRUE(run("7z t " + quote(tmp / "out" / "SET.zip")));
    }
    RestoreRequest r{tmp / "out" / "SET.zip", tmp / "dst", {}, {}, 0, {}};
    ASSERT_EQ(extractArchive(r, none).status, Outcome::Status::Success);
    auto a = snapshot(tmp / "src");
    auto b = snapshot(tmp / "dst");
    ASSERT_EQ(a.size(), b.size());
    for (const auto& [n, f] : a) EXPECT_TRUE(b[n].content == f.content) << n;
}

TEST(MultiVolume, VolumesKeepToTheFreeSpaceAndAFitIsOnePlainZip) {
    TempDir tmp;
    makeSource(tmp / "src");
    BackupRequest req = backupOf(tmp / "src", tmp / "out" / "SET.zip");
    req.multiVolume = true;
    req.nextDisk = [](int) { return true; };
    req.faults.freeSpace = [](const std::filesystem::path&) { return std::uint64_t{400'000}; };
    NoEvents none;
    ASSERT_EQ(createArchive(req, none).status, Outcome::Status::Success);
    auto names = allEntries(tmp / "out");
    ASSERT_GE(names.size(), 3u);
    for (const auto& n : names)
        EXPECT_LE(std::filesystem::file_size(tmp / "out" / n), 400'000u - 400'000u / 16) << n;

    req.faults.freeSpace = {};
    std::filesystem::remove_all(tmp / "out");
    ASSERT_EQ(createArchive(req, none).status, Outcome::Status::Success);
    EXPECT_EQ(allEntries(tmp / "out"), std::vector<std::string>{"SET.zip"});
    if (hasTool("unzip")) {
        EXPECT_TRUE(run("unzip -t " + quote(tmp / "out" / "SET.zip")));
    }
}

TEST(MultiVolume, VolumesStayWithinTheLargestFileTheDestinationHolds) {
    EXPECT_EQ(largestFileOn(0x4d44), 0xFFFFFFFFu) << "FAT12/16/32";
    EXPECT_EQ(largestFileOn(0xEF53), UINT64_MAX) << "ext4";
    EXPECT_EQ(largestFileOn(0x2011BAB0), UINT64_MAX) << "exFAT";

    TempDir tmp;
    makeSource(tmp / "src");
    BackupRequest req = backupOf(tmp / "src", tmp / "out" / "SET.zip");
    req.multiVolume = true;
    req.nextDisk = [](int) { return true; };
    req.faults.freeSpace = [](const std::filesystem::path&) { return std::uint64_t{1} << 40; };
    req.faults.largestFile = [](const std::filesystem::path&) { return std::uint64_t{300'000}; };
    NoEvents none;
    ASSERT_EQ(createArchive(req, none).status, Outcome::Status::Success);
    auto names = allEntries(tmp / "out");
    EXPECT_GE(names.size(), 3u);
    for (const auto& n : names)
        EXPECT_LE(std::filesystem::file_size(tmp / "out" / n), 300'000u) << n;
    if (hasTool("7z")) {
        EXPECT_TRUE(run("7z t " + quote(tmp / "out" / "SET.zip")));
    }
    RestoreRequest r{tmp / "out" / "SET.zip", tmp / "dst", {}, {}, 0, {}};
    ASSERT_EQ(extractArchive(r, none).status, Outcome::Status::Success);
    EXPECT_EQ(snapshot(tmp / "dst").size(), snapshot(tmp / "src").size());
}

TEST(MultiVolume, ASingleArchivePastTheLargestFileFailsWithTheReasonAndLeavesNothing) {
    TempDir tmp;
    makeSource(tmp / "src");
    writeFile(tmp / "out" / "SET.zip", "previous");
    BackupRequest req = backupOf(tmp / "src", tmp / "out" / "SET.zip");
    req.faults.largestFile = [](const std::filesystem::path&) { return std::uint64_t{300'000}; };
    NoEvents none;
    Outcome o = createArchive(req, none);
    EXPECT_EQ(o.status, Outcome::Status::Failed);
    EXPECT_NE(o.reason.find("would pass 300000 bytes, the largest file"), std::string::npos)
        << o.reason;
    EXPECT_EQ(allEntries(tmp / "out"), std::vector<std::string>{"SET.zip"});
    EXPECT_EQ(readFile(tmp / "out" / "SET.zip"), "previous");
}

TEST(MultiVolume, NoNextDiskFailsClearlyAndLeavesNothing) {
    TempDir tmp;
    makeSource(tmp / "src");
    writeFile(tmp / "out" / "SET.zip", "previous");
    BackupRequest req = backupOf(tmp / "src", tmp / "out" / "SET.zip");
    req.multiVolume = true;
    req.volumeSize = 256 * 1024;
    req.nextDisk = [](int) { return false; };
    NoEvents none;
    Outcome o = createArchive(req, none);
    EXPECT_EQ(o.status, Outcome::Status::Failed);
    EXPECT_NE(o.reason.find("needs disk 2"), std::string::npos) << o.reason;
    EXPECT_EQ(allEntries(tmp / "out"), std::vector<std::string>{"SET.zip"});
    EXPECT_EQ(readFile(tmp / "out" / "SET.zip"), "previous");
}

TEST(MultiVolume, MissingVolumeIsAskedFor) {
    TempDir tmp;
    makeSource(tmp / "src");
    BackupRequest req = backupOf(tmp / "src", tmp / "out" / "SET.zip");
    req.multiVolume = true;
    req.volumeSize = 256 * 1024;
    req.nextDisk = [](int) { return true; };
    NoEvents none;
    ASSERT_EQ(createArchive(req, none).status, Outcome::Status::Success);
    std::filesystem::rename(tmp / "out" / "SET.z02", tmp / "away.z02");

    RestoreRequest refused{tmp / "out" / "SET.zip",   tmp / "dst", {},
                           [](int) { return false; }, 0,           {}};
    Outcome o = extractArchive(refused, none);
    EXPECT_EQ(o.status, Outcome::Status::Failed);
    EXPECT_NE(o.reason.find("SET.z02 is missing"), std::string::npos) << o.reason;

    std::vector<int> asked;
    RestoreRequest r{tmp / "out" / "SET.zip",
                     tmp / "dst",
                     {},
                     [&](int n) {
                         asked.push_back(n);
                         std::filesystem::rename(tmp / "away.z02", tmp / "out" / "SET.z02");
                         return true;
                     },
                     0,
                     {}};
    ASSERT_EQ(extractArchive(r, none).status, Outcome::Status::Success);
    EXPECT_EQ(asked, std::vector<int>{2});
}

}  // namespace
}  // namespace torvane::zip::test
