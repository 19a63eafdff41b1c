#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>

#include "RestoreTestLog.h"
#include "TestContext.h"
#include "backupsets/clsINI.h"
#include "platform/AtomicFile.h"
#include "restore/RestoreRun.h"
#include "restore/clsCfg.h"

namespace torvane {
namespace {

using test::readFile;
using test::records;
using test::TestContext;
using test::writeFile;
using Status = zip::Outcome::Status;

struct CancelAtOnce : zip::NoEvents {
    bool overallProgress(int) override { return true; }
};

void replaceAll(std::string& bytes, const std::string& from, const std::string& to) {
    for (size_t at = bytes.find(from); at != std::string::npos;
         at = bytes.find(from, at + to.size()))
        bytes.replace(at, from.size(), to);
}

std::string littleEndian(std::uint32_t v) {
    return {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
            static_cast<char>(v >> 24)};
}

// Program folder C:\PROG with the set DAILY.INI, whose last backup is C:\BACKUPS\DAILY.zip.
class RestoreRunTest : public ::testing::Test {
  protected:
    RestoreRunTest() {
        writeFile(
            ctx.programHost / "DAILY.INI",
            "[RESTORE SOURCE]\r\nRestoreFromDrive=C:\\BACKUPS\\\r\nRestoreFileName=DAILY.zip\r\n"
            "[RESTORE DESTINATION]\r\nRestoreDestination=\r\n");
        writeFile(source / "Letters/a.txt", "alpha");
        writeFile(source / "b.txt", "beta");
    }

    std::filesystem::path archive() const { return ctx.cRoot / "Backups/DAILY.zip"; }
    void makeArchive() {
        zip::BackupRequest request;
        request.sourceFolder = source;
        request.recurse = true;
        request.nameBase = source;
        request.archive = archive();
        zip::NoEvents events;
        ASSERT_EQ(zip::createArchive(request, events).status, Status::Success);
    }
    struct Ran {
        RestoreEnd end;
        zip::Outcome outcome;
    };
    Ran run(const RestoreScreen& screen, zip::Events&& events = zip::NoEvents()) {
        RestoreRun restore(*ctx.context, screen);
        zip::Outcome outcome;
        try {
            zip::RestoreRequest request = restore.start();
            request.threads = 2;
            outcome = zip::extractArchive(request, events);
        } catch (const std::runtime_error& e) {
            outcome = {Status::Failed, e.what(), {}};
        }
        std::vector<zip::MemberInfo> members;
        if (outcome.status != Status::Failed || !outcome.skipped.empty())
            members = zip::listArchive(archive());
        return {restore.finish(outcome, members), outcome};
    }
    std::string restoreDestination() {
        clsINI ini(*ctx.context);
        ini.Read_INI("C:\\PROG\\DAILY.INI");
        return ini.RestoreDestination();
    }
    bool loggedComplete() {
        const auto lines = records(ctx);
        return std::find(lines.begin(), lines.end(), "Restore Complete") != lines.end();
    }

    TestContext ctx;
    std::filesystem::path source = ctx.dir / "source";
};

TEST_F(RestoreRunTest, ASetRestoreRecordsItsDestinationAfterRenamingAside) {
    makeArchive();
    writeFile(ctx.cRoot / "Restored/Letters/a.txt", "the user's newer letter");
    clsCfg cfg(*ctx.context);
    cfg.Protected_Add("C:\\Restored\\Letters");
    // Both sources filled: the set wins, so the missing browsed archive does not matter.
    const RestoreScreen screen{"DAILY.INI", "C:\\NOWHERE\\OTHER.zip", "c:\\restored"};
    const auto members = zip::listArchive(archive());
    ASSERT_FALSE(prepareRestore(*ctx.context, screen, members));

    const Ran ran = run(screen);
    EXPECT_EQ(ran.end.status, "Restore Complete");
    EXPECT_FALSE(ran.end.message);
    EXPECT_EQ(readFile(ctx.cRoot / "Restored/Letters/a.txt"), "alpha");
    EXPECT_EQ(readFile(ctx.cRoot / "Restored/b.txt"), "beta");
    EXPECT_EQ(readFile(ctx.cRoot / "Restored/LETTERS_001/a.txt"), "the user's newer letter");
    EXPECT_EQ(restoreDestination(), "C:\\RESTORED");
    EXPECT_EQ(records(ctx),
              (std::vector<std::string>{
                  "Restore process about to Overwrite C:\\RESTORED\\LETTERS",
                  "C:\\RESTORED\\LETTERS renamed to C:\\RESTORED\\LETTERS_001",
                  "Starting Restore from DAILY.INI", "Finished Restore from DAILY.INI"}));
}

TEST_F(RestoreRunTest, ABrowsedArchiveWritesNoSetFile) {
    makeArchive();
    const std::string before = readFile(ctx.programHost / "DAILY.INI");
    const Ran ran = run({"", "C:\\BACKUPS\\DAILY.zip", "C:\\OUT\\"});
    EXPECT_EQ(ran.end.status, "Restore Complete");
    EXPECT_EQ(readFile(ctx.cRoot / "OUT/Letters/a.txt"), "alpha");
    EXPECT_EQ(readFile(ctx.programHost / "DAILY.INI"), before);
    EXPECT_EQ(records(ctx), (std::vector<std::string>{
                                "Starting Restore from ZIP File - C:\\BACKUPS\\DAILY.zip",
                                "Finished Restore from ZIP File - C:\\BACKUPS\\DAILY.zip"}));
}

TEST_F(RestoreRunTest, CancelLogsThreeRecordsAndRecordsNoDestination) {
    makeArchive();
    const Ran ran = run({"DAILY.INI", "", "C:\\OUT"}, CancelAtOnce());
    EXPECT_EQ(ran.outcome.status, Status::Cancelled);
    EXPECT_EQ(ran.end.status, "Restore Cancelled by User");
    EXPECT_EQ(records(ctx),
              (std::vector<std::string>{"Starting Restore from DAILY.INI",
                                        "Finished Restore from DAILY.INI", "Cancelled by User"}));
    EXPECT_EQ(restoreDestination(), "");
}

TEST_F(RestoreRunTest, AnEngineFailureIsReportedAndRecordsNoDestination) {
    writeFile(archive(),
              "this is not a zip archive at all, just some text long enough to look for an end");
    Ran ran = run({"DAILY.INI", "", "C:\\OUT"});
    ASSERT_EQ(ran.outcome.status, Status::Failed);
    // The engine names the host file; the user reads the drive path.
    const std::string failed = "Restore Failed - C:\\BACKUPS\\DAILY.zip" +
                               ran.outcome.reason.substr(archive().string().size());
    ASSERT_EQ(ran.outcome.reason.substr(0, archive().string().size()), archive().string());
    EXPECT_EQ(ran.end.status, "Restore Failed");
    ASSERT_TRUE(ran.end.message);
    EXPECT_EQ(ran.end.message->title, "Restore");
    EXPECT_EQ(ran.end.message->text, failed);
    EXPECT_EQ(records(ctx), (std::vector<std::string>{"Starting Restore from DAILY.INI",
                                                      "Finished Restore from DAILY.INI", failed}));
    EXPECT_EQ(restoreDestination(), "");

    // A set that has never been backed up names no archive at all.
    writeFile(ctx.programHost / "EMPTY.INI", "[RESTORE SOURCE]\r\nRestoreFromDrive=\r\n");
    ran = run({"EMPTY.INI", "", "C:\\OUT"});
    EXPECT_EQ(ran.end.status, "Restore Failed");
    EXPECT_EQ(records(ctx).back(),
              "Restore Failed - There is no Restore Information available for this Backupset.");
    EXPECT_FALSE(loggedComplete());
}

TEST_F(RestoreRunTest, AHostileArchiveNeverCompletesAndWritesNothingOutside) {
    writeFile(source / "xx/evil.txt", "evil");
    writeFile(source / "bad.txt", "corrupt me");
    makeArchive();
    std::string bytes = readFile(archive());
    replaceAll(bytes, "xx/evil.txt", "../evil.txt");
    const std::string corrupt = "corrupt me";
    const auto crc = static_cast<std::uint32_t>(crc32(
        0, reinterpret_cast<const Bytef*>(corrupt.data()), static_cast<uInt>(corrupt.size())));
    replaceAll(bytes, littleEndian(crc), littleEndian(crc ^ 0x5a5a5a5a));
    writeFile(archive(), bytes);

    const Ran ran = run({"DAILY.INI", "", "C:\\OUT"});
    EXPECT_EQ(ran.end.status, "Restore Completed with Errors - 2 file(s) skipped");
    EXPECT_FALSE(std::filesystem::exists(ctx.cRoot / "evil.txt"));
    EXPECT_FALSE(std::filesystem::exists(ctx.cRoot / "OUT/bad.txt"));
    EXPECT_EQ(readFile(ctx.cRoot / "OUT/Letters/a.txt"), "alpha");
    auto lines = records(ctx);
    ASSERT_EQ(lines.size(), 5u);
    std::sort(lines.begin() + 1, lines.begin() + 3);
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "Starting Restore from DAILY.INI", "Unable to Restore ../evil.txt",
                         "Unable to Restore bad.txt", "Finished Restore from DAILY.INI",
                         "Restore Completed with Errors - 2 file(s) skipped"}));
    EXPECT_FALSE(loggedComplete());
    // The members that were restored went there, so the set says where.
    EXPECT_EQ(restoreDestination(), "C:\\OUT");
}

TEST_F(RestoreRunTest, ASetThatCannotBeWrittenIsReportedAfterARestore) {
    makeArchive();
    const std::string before = readFile(ctx.programHost / "DAILY.INI");
    platform::AtomicWriteFaultHook readOnly([&](const std::filesystem::path& file) {
        if (file.filename() == "DAILY.INI") throw std::runtime_error("Read-only file system");
    });
    const Ran ran = run({"DAILY.INI", "", "C:\\OUT"});
    EXPECT_EQ(ran.end.status, "Restore Complete");
    EXPECT_EQ(readFile(ctx.cRoot / "OUT/b.txt"), "beta");
    EXPECT_EQ(readFile(ctx.programHost / "DAILY.INI"), before);
    ASSERT_TRUE(ran.end.message);
    EXPECT_EQ(ran.end.message->title, "Restore");
    EXPECT_EQ(records(ctx).back(), ran.end.message->text);
    EXPECT_EQ(
        ran.end.message->text.rfind("Unable to record the Restore Destination in DAILY.INI - ", 0),
        0u);
    EXPECT_NE(ran.end.message->text.find("Read-only file system"), std::string::npos);
}

TEST_F(RestoreRunTest, SkippedMembersAreNamedWholeAndPrintable) {
    RestoreRun restore(*ctx.context, {"", "C:\\X.zip", "C:\\OUT"});
    const zip::Outcome outcome{Status::Failed,
                               "2 member(s) could not be extracted",
                               {"a: b.txt: refused: x", "new\nline.txt: cannot open folder"}};
    const RestoreEnd end = restore.finish(outcome, {{"a: b.txt"}, {"new\nline.txt"}});
    EXPECT_EQ(end.status, "Restore Completed with Errors - 2 file(s) skipped");
    const auto lines = records(ctx);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "Unable to Restore a: b.txt");
    EXPECT_EQ(lines[1], "Unable to Restore new\xE2\x90\x8Aline.txt");
}

TEST_F(RestoreRunTest, EngineReasonsNameWholeDrivePaths) {
    RestoreRun restore(*ctx.context, {"", "C:\\X.zip", "C:\\"});
    restore.start();
    const std::string root = ctx.cRoot.string();
    const std::string reason =
        root + "/X.zip: bad; cannot open " + root + ": full; " + root + "/other";
    const RestoreEnd end = restore.finish({Status::Failed, reason, {}});
    ASSERT_TRUE(end.message);
    EXPECT_EQ(end.message->text,
              "Restore Failed - C:\\X.zip: bad; cannot open C:\\: full; " + root + "/other");
}

}  // namespace
}  // namespace torvane
