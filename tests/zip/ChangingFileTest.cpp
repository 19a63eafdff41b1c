#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <random>

#include "TempDir.h"
#include "ZipTestSupport.h"
#include "zip/ZipEngine.h"

namespace torvane::zip::test {
namespace {

using torvane::test::readFile;
using torvane::test::TempDir;
using torvane::test::writeFile;

constexpr std::uint64_t kMiB = 1 << 20;

std::string text(std::size_t n) {
    std::mt19937 gen(7);
    std::string s;
    while (s.size() < n) s += "record " + std::to_string(gen() % 100000) + " of a live log\n";
    s.resize(n);
    return s;
}

std::string noise(std::size_t n) {
    std::mt19937 gen(11);
    std::string s(n, '\0');
    for (auto& c : s) c = static_cast<char>(gen());
    return s;
}

// A folder with a file that another program changes while the backup reads it, between two
// files that stay as they are.
struct LiveFolder {
    TempDir tmp;
    std::filesystem::path live = tmp / "src" / "live.dat";
    std::string original;

    explicit LiveFolder(std::string content) : original(std::move(content)) {
        writeFile(tmp / "src" / "a_before.txt", text(20'000));
        writeFile(live, original);
        writeFile(tmp / "src" / "z_after.txt", text(30'000));
    }

    BackupRequest request(std::function<int(std::uint64_t offset)> onLiveRead) {
        BackupRequest r = backupOf(tmp / "src", tmp / "out" / "SET.zip");
        r.threads = 1;  // blocks are read in order, so the change lands where the case says
        r.faults.beforeRead = [this, onLiveRead](const std::filesystem::path& p,
                                                 std::uint64_t offset) {
            return p == live ? onLiveRead(offset) : 0;
        };
        return r;
    }

    // Every member as the restore writes it.
    std::map<std::string, FileFacts> restored() {
        RestoreRequest r{tmp / "out" / "SET.zip", tmp / "dst", {}, {}, 0, {}};
        NoEvents none;
        Outcome o = extractArchive(r, none);
        EXPECT_EQ(o.status, Outcome::Status::Success) << o.reason;
        return snapshot(tmp / "dst");
    }

    void expectToolsAccept() {
        if (hasTool("unzip")) {
            EXPECT_TRUE(run("unzip -t " + quote(tmp / "out" / "SET.zip")));
        }
        if (hasTool("7z")) {
            EXPECT_TRUE(run("7z t " + quote(tmp / "out" / "SET.zip")));
        }
    }

    void expectNeighboursIntact(std::map<std::string, FileFacts>& members) {
        EXPECT_TRUE(members["a_before.txt"].content == text(20'000));
        EXPECT_TRUE(members["z_after.txt"].content == text(30'000));
    }
};

struct Shrink {
    const char* name;
    bool compressible;
    std::size_t size;
    std::uint64_t atBlock;  // offset of the block whose read finds the file shorter
    std::uint64_t newSize;
};

class ShrinkingFile : public ::testing::TestWithParam<Shrink> {};

TEST_P(ShrinkingFile, IsStoredAsReadWithAWarningAndTheRunCompletes) {
    const Shrink& c = GetParam();
    LiveFolder folder(c.compressible ? text(c.size) : noise(c.size));
    std::atomic<bool> done{false};
    BackupRequest req = folder.request([&](std::uint64_t offset) {
        if (offset == c.atBlock && !done.exchange(true))
            std::filesystem::resize_file(folder.live, c.newSize);
        return 0;
    });
    NoEvents none;
    Outcome o = createArchive(req, none);
    ASSERT_EQ(o.status, Outcome::Status::Success) << o.reason;
    EXPECT_TRUE(done);
    EXPECT_TRUE(o.skipped.empty());
    EXPECT_EQ(o.changed, std::vector<std::string>{folder.live.string()});

    for (const MemberInfo& m : listArchive(folder.tmp / "out" / "SET.zip")) {
        if (m.name == "live.dat") {
            EXPECT_EQ(m.size, c.newSize);
        }
    }
    folder.expectToolsAccept();
    auto members = folder.restored();
    ASSERT_EQ(members.size(), 3u);
    EXPECT_EQ(members["live.dat"].content.size(), c.newSize);
    EXPECT_TRUE(members["live.dat"].content == folder.original.substr(0, c.newSize));
    folder.expectNeighboursIntact(members);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ShrinkingFile,
    ::testing::Values(Shrink{"SmallFile", true, 300'000, 0, 120'000},
                      Shrink{"SmallFileEmptied", true, 5'000, 0, 0},
                      Shrink{"FirstOfSeveralBlocks", true, 3 * kMiB + 500'000, 0, 500'000},
                      Shrink{"InsideALaterBlock", true, 3 * kMiB + 500'000, 2 * kMiB,
                             2 * kMiB + 12'345},
                      Shrink{"AtABlockBoundary", true, 3 * kMiB + 500'000, 2 * kMiB, 2 * kMiB},
                      Shrink{"StoredFile", false, 3 * kMiB + 500'000, kMiB, kMiB + 700'000}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ChangingFile, AFileThatGrowsIsStoredAsSelected) {
    for (std::size_t size : {std::size_t{300'000}, std::size_t{3 * kMiB + 500'000}}) {
        LiveFolder folder(text(size));
        BackupRequest req = folder.request([&](std::uint64_t offset) {
            if (offset == 0) {
                std::FILE* f = std::fopen(folder.live.c_str(), "ab");
                std::fputs(std::string(2 * kMiB, 'x').c_str(), f);
                std::fclose(f);
            }
            return 0;
        });
        NoEvents none;
        Outcome o = createArchive(req, none);
        ASSERT_EQ(o.status, Outcome::Status::Success) << o.reason;
        EXPECT_TRUE(o.changed.empty());
        auto members = folder.restored();
        EXPECT_TRUE(members["live.dat"].content == folder.original) << size;
    }
}

TEST(ChangingFile, AFileReplacedWhileReadIsStoredWholeAsItWas) {
    LiveFolder folder(text(3 * kMiB + 500'000));
    BackupRequest req = folder.request([&](std::uint64_t offset) {
        if (offset == kMiB) {
            writeFile(folder.tmp / "src" / "live.new", noise(3 * kMiB + 500'000));
            std::filesystem::rename(folder.tmp / "src" / "live.new", folder.live);
        }
        return 0;
    });
    NoEvents none;
    Outcome o = createArchive(req, none);
    ASSERT_EQ(o.status, Outcome::Status::Success) << o.reason;
    EXPECT_TRUE(o.changed.empty());
    auto members = folder.restored();
    EXPECT_TRUE(members["live.dat"].content == folder.original);
}

TEST(ChangingFile, AReadFailureAfterTheFirstBlockSkipsOnlyThatFile) {
    for (int threads : {1, 0}) {
        LiveFolder folder(noise(3 * kMiB + 500'000));
        BackupRequest req =
            folder.request([](std::uint64_t offset) { return offset >= 2 * kMiB ? EIO : 0; });
        req.threads = threads;
        NoEvents none;
        Outcome o = createArchive(req, none);
        ASSERT_EQ(o.status, Outcome::Status::Success) << o.reason;
        EXPECT_EQ(o.skipped,
                  std::vector<std::string>{folder.live.string() + ": " + std::strerror(EIO)});
        EXPECT_TRUE(o.changed.empty());
        std::vector<std::string> names;
        for (const MemberInfo& m : listArchive(folder.tmp / "out" / "SET.zip"))
            names.push_back(m.name);
        EXPECT_EQ(names, (std::vector<std::string>{"a_before.txt", "z_after.txt"}));
        folder.expectToolsAccept();
        auto members = folder.restored();
        EXPECT_EQ(members.size(), 2u);
        folder.expectNeighboursIntact(members);
    }
}

}  // namespace
}  // namespace torvane::zip::test
