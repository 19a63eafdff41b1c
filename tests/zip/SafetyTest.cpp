#include <gtest/gtest.h>

#include "TempDir.h"
#include "ZipTestSupport.h"
#include "zip/ZipEngine.h"

namespace torvane::zip::test {
namespace {

using torvane::test::readFile;
using torvane::test::TempDir;
using torvane::test::writeFile;

struct Fixture {
    TempDir tmp;
    std::filesystem::path archive;
    std::string previous;
    Fixture() {
        archive = tmp / "out" / "set.zip";
        writeFile(tmp / "src" / "a.txt", "first version");
        NoEvents none;
        EXPECT_EQ(createArchive(backupOf(tmp / "src", archive), none).status,
                  Outcome::Status::Success);
        previous = readFile(archive);
        std::string big;
        while (big.size() < 4'000'000) big += "a changed tree makes a different archive\n";
        writeFile(tmp / "src" / "a.txt", "second version");
        writeFile(tmp / "src" / "big.txt", big);
        writeFile(tmp / "src" / "z.txt", "last");
    }
    void expectPreviousArchiveIntact() {
        EXPECT_TRUE(readFile(archive) == previous);
        EXPECT_EQ(allEntries(tmp / "out"), std::vector<std::string>{"set.zip"})
            << "no partial file";
    }
};

TEST(BackupSafety, CancelLeavesThePreviousArchive) {
    for (int cancelAt : {0, 1, 3}) {
        Fixture f;
        Recorder ev;
        ev.cancelAt = cancelAt;
        Outcome o = createArchive(backupOf(f.tmp / "src", f.archive), ev);
        EXPECT_EQ(o.status, Outcome::Status::Cancelled);
        EXPECT_EQ(ev.overallCount, cancelAt + 1) << "nothing is reported after the cancel answer";
        f.expectPreviousArchiveIntact();
    }
}

TEST(BackupSafety, WriteFailureLeavesThePreviousArchiveAndSaysWhy) {
    for (std::uint64_t after : {0ull, 100ull, 5000ull}) {
        Fixture f;
        BackupRequest req = backupOf(f.tmp / "src", f.archive);
        req.faults.failWriteAfterBytes = after;
        NoEvents none;
        Outcome o = createArchive(req, none);
        EXPECT_EQ(o.status, Outcome::Status::Failed);
        EXPECT_NE(o.reason.find("No space left on device"), std::string::npos) << o.reason;
        f.expectPreviousArchiveIntact();
    }
}

TEST(BackupSafety, DestinationRemovedMidRunFails) {
    Fixture f;
    BackupRequest req = backupOf(f.tmp / "src", f.archive);
    req.itemText = [&](const std::filesystem::path& p) {
        std::filesystem::remove_all(f.tmp / "out");
        return p.string();
    };
    NoEvents none;
    Outcome o = createArchive(req, none);
    EXPECT_EQ(o.status, Outcome::Status::Failed);
    EXPECT_FALSE(o.reason.empty());
    EXPECT_FALSE(std::filesystem::exists(f.tmp / "out"));
}

TEST(BackupSafety, UnreadableFileIsSkippedAndTheRunGoesOn) {
    Fixture f;
    BackupRequest req = backupOf(f.tmp / "src", f.archive);
    req.faults.failRead = [](const std::filesystem::path& p) { return p.filename() == "big.txt"; };
    NoEvents none;
    Outcome o = createArchive(req, none);
    ASSERT_EQ(o.status, Outcome::Status::Success) << o.reason;
    ASSERT_EQ(o.skipped.size(), 1u);
    EXPECT_NE(o.skipped[0].find("big.txt: Permission denied"), std::string::npos) << o.skipped[0];
    std::vector<std::string> names;
    for (const auto& m : listArchive(f.archive)) names.push_back(m.name);
    EXPECT_EQ(names, (std::vector<std::string>{"a.txt", "z.txt"}));
}

TEST(RestoreSafety, ReplacesExistingFilesAndRefusesWithoutSpace) {
    Fixture f;
    NoEvents none;
    ASSERT_EQ(createArchive(backupOf(f.tmp / "src", f.archive), none).status,
              Outcome::Status::Success);
    writeFile(f.tmp / "dst" / "a.txt", "old content");

    RestoreRequest tight{f.archive, f.tmp / "dst", {}, {}, 0, {}};
    tight.faults.freeSpace = [](const std::filesystem::path&) { return std::uint64_t{1000}; };
    Outcome refused = extractArchive(tight, none);
    EXPECT_EQ(refused.status, Outcome::Status::Failed);
    EXPECT_NE(refused.reason.find("not enough space"), std::string::npos);
    EXPECT_EQ(allEntries(f.tmp / "dst"), std::vector<std::string>{"a.txt"});

    RestoreRequest r{f.archive, f.tmp / "dst", {}, {}, 0, {}};
    ASSERT_EQ(extractArchive(r, none).status, Outcome::Status::Success);
    EXPECT_EQ(readFile(f.tmp / "dst" / "a.txt"), "second version");
}

TEST(RestoreSafety, FailedOrCancelledMemberLeavesExistingFileAndNoTemporary) {
    Fixture f;
    NoEvents none;
    ASSERT_EQ(createArchive(backupOf(f.tmp / "src", f.archive), none).status,
              Outcome::Status::Success);
    writeFile(f.tmp / "dst" / "big.txt", "keep me");

    RestoreRequest failing{f.archive, f.tmp / "dst", {}, {}, 1, {}};
    failing.faults.failWriteAfterBytes = 1000;
    Outcome o = extractArchive(failing, none);
    EXPECT_EQ(o.status, Outcome::Status::Failed);
    EXPECT_EQ(readFile(f.tmp / "dst" / "big.txt"), "keep me");
    for (const auto& e : allEntries(f.tmp / "dst"))
        EXPECT_EQ(e.find(".tvtmp"), std::string::npos) << e;

    Recorder ev;
    ev.cancelAt = 0;
    RestoreRequest r{f.archive, f.tmp / "dst", {}, {}, 0, {}};
    EXPECT_EQ(extractArchive(r, ev).status, Outcome::Status::Cancelled);
    EXPECT_EQ(ev.overallCount, 1);
    for (const auto& e : allEntries(f.tmp / "dst"))
        EXPECT_EQ(e.find(".tvtmp"), std::string::npos) << e;
}

}  // namespace
}  // namespace torvane::zip::test
