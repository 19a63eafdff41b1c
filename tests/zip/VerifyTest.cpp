#include <gtest/gtest.h>

#include <random>

#include "HandBuiltArchive.h"
#include "TempDir.h"
#include "ZipTestSupport.h"
#include "zip/ZipEngine.h"

namespace torvane::zip::test {
namespace {

using torvane::test::TempDir;
using torvane::test::writeFile;
namespace fs = std::filesystem;

// Stored noise, a file of several compression blocks (written with a data descriptor) and
// forty small ones.
void makeSource(const fs::path& root) {
    std::mt19937 gen(5);
    std::string noise(600'000, '\0');
    for (auto& c : noise) c = static_cast<char>(gen());
    writeFile(root / "noise.bin", noise);
    writeFile(root / "app.log", lines(2'500'000, 9));
    for (int i = 0; i < 40; ++i)
        writeFile(root / "docs" / ("f" + std::to_string(i) + ".txt"), std::string(3000 + i, 'a' + i % 26));
}

// A split set of the source above: SET.z01, SET.z02, ... and SET.zip.
fs::path writeSplitSet(const TempDir& tmp) {
    makeSource(tmp / "src");
    BackupRequest req = backupOf(tmp / "src", tmp / "out" / "SET.zip");
    req.multiVolume = true;
    req.volumeSize = 256 * 1024;
    req.nextDisk = [](int) { return true; };
    NoEvents none;
    const Outcome o = createArchive(req, none);
    EXPECT_EQ(o.status, Outcome::Status::Success) << o.reason;
    return tmp / "out" / "SET.zip";
}

Verification verify(const fs::path& archive, Events& events) {
    VerifyRequest req;
    req.archive = archive;
    req.itemText = [](const std::string& member) { return "C:\\" + member; };
    return verifyArchive(req, events);
}

TEST(Verify, AGoodSplitSetIsReadBackWholeWithItsProgress) {
    TempDir tmp;
    const fs::path archive = writeSplitSet(tmp);
    Recorder events;
    const Verification v = verify(archive, events);
    ASSERT_EQ(v.status, Verification::Status::Verified) << v.member << " - " << v.reason;
    EXPECT_EQ(v.files, 42u);
    const auto items = events.items();
    ASSERT_EQ(items.size(), 42u);
    EXPECT_NE(std::find(items.begin(), items.end(), "C:\\app.log"), items.end());
    int lastOverall = -1;
    for (const auto& e : events.events) {
        if (e.kind != 'o') continue;
        EXPECT_GE(e.percent, lastOverall);
        lastOverall = e.percent;
    }
    EXPECT_EQ(lastOverall, 100);

    Recorder cancelling;
    cancelling.cancelAt = 2;
    EXPECT_EQ(verify(archive, cancelling).status, Verification::Status::Cancelled);
}

TEST(Verify, AFlippedByteInAMembersDataNamesThatMember) {
    for (const char* member : {"app.log", "noise.bin", "docs/f7.txt"}) {
        TempDir tmp;
        const fs::path archive = writeSplitSet(tmp);
        VerifyRequest req;
        req.archive = archive;
        req.afterWrite = [&](const fs::path& written) { flipMemberByte(written, member); };
        NoEvents none;
        const Verification v = verifyArchive(req, none);
        EXPECT_EQ(v.status, Verification::Status::Failed) << member;
        EXPECT_EQ(v.member, member);
        EXPECT_FALSE(v.reason.empty());
        EXPECT_EQ(v.reason.find(member), std::string::npos) << v.reason;
    }
}

TEST(Verify, OfTwoDamagedMembersTheFirstInTheArchiveIsReported) {
    TempDir tmp;
    const fs::path archive = writeSplitSet(tmp);
    const std::vector<MemberInfo> members = listArchive(archive);
    ASSERT_EQ(members.size(), 42u);
    const std::string first = members[5].name, second = members[36].name;
    for (int round = 0; round < 3; ++round) {
        VerifyRequest req;
        req.archive = archive;
        req.afterWrite = [&](const fs::path& written) {
            if (round > 0) return;
            flipMemberByte(written, second);
            flipMemberByte(written, first);
        };
        NoEvents none;
        const Verification v = verifyArchive(req, none);
        EXPECT_EQ(v.status, Verification::Status::Failed);
        EXPECT_EQ(v.member, first);
    }
}

TEST(Verify, ALocalHeaderThatDisagreesWithTheDirectoryFails) {
    struct Case {
        std::size_t at;  // offset within the second member's local header
        std::uint64_t value;
        int bytes;
        const char* field;
    };
    for (const Case& c : {Case{14, 0x12345678, 4, "CRC-32"}, Case{8, 12, 2, "compression method"},
                          Case{30, 'X', 1, "name"}, Case{22, 99, 4, "size"}}) {
        Built built = build({{"first.txt", "one", 0}, {"b.txt", "second member", 0}, {"c.txt", "three", 0}});
        const std::size_t second = 30 + std::string("first.txt").size() + 3;
        patch(built.bytes, second + c.at, c.value, c.bytes);
        TempDir tmp;
        writeFile(tmp / "HAND.zip", built.bytes);
        NoEvents none;
        const Verification v = verify(tmp / "HAND.zip", none);
        EXPECT_EQ(v.status, Verification::Status::Failed) << c.field;
        EXPECT_EQ(v.member, "b.txt");
        EXPECT_EQ(v.reason, std::string("the local header's ") + c.field + " disagrees with the central directory");
    }
}

TEST(Verify, ATruncatedOrMissingVolumeFailsTheArchive) {
    TempDir tmp;
    const fs::path archive = writeSplitSet(tmp);
    const fs::path first = tmp / "out" / "SET.z01";
    fs::resize_file(first, fs::file_size(first) - 1000);
    NoEvents none;
    Verification v = verify(archive, none);
    EXPECT_EQ(v.status, Verification::Status::Failed);
    EXPECT_FALSE(v.reason.empty());
    EXPECT_FALSE(v.member.empty());

    fs::remove(first);
    v = verify(archive, none);
    EXPECT_EQ(v.status, Verification::Status::Failed);
    EXPECT_EQ(v.member, archive.string());
    EXPECT_NE(v.reason.find("SET.z01 is missing"), std::string::npos) << v.reason;

    fs::resize_file(archive, fs::file_size(archive) - 10);
    v = verify(archive, none);
    EXPECT_EQ(v.status, Verification::Status::Failed);
    EXPECT_NE(v.reason.find("not a zip archive"), std::string::npos) << v.reason;
}

}  // namespace
}  // namespace torvane::zip::test
