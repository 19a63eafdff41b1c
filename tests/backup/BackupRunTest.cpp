#include "backup/BackupRun.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "TestContext.h"
#include "backupsets/clsFiles.h"
#include "backupsets/clsINI.h"
#include "common/clsLog.h"
#include "platform/AtomicFile.h"

namespace torvane {
namespace {

using test::readFile;
using test::TestContext;
using test::writeFile;
using Status = zip::Outcome::Status;

class BackupRunTest : public ::testing::Test {
protected:
    BackupRunTest() {
        writeFile(ctx.cRoot / "Data/a.txt", "alpha");
        writeFile(ctx.cRoot / "Data/Sub/b.txt", "beta");
        std::filesystem::create_directories(ctx.cRoot / "Backups");
        setTimeBackup("ON");
        ctx.clock.set({2026, 12, 31, 23, 59, 58});
    }
    void setTimeBackup(const std::string& time) {
        writeFile(ctx.programHost / "DAILY.INI",
                  "[BACKUP SOURCE]\r\nBackupFiles=C:\\DATA\\*.TXT\r\nBackupSubDirectories=ON\r\n[Destination]\r\n"
                  "BackupFileName=DAILY\r\nMultiVolumeBackup=OFF\r\nBackupToDrive=C:\\BACKUPS\\\r\nTimeBackup=" +
                      time + "\r\n[RESTORE SOURCE]\r\nRestoreFromDrive=OLD\\\r\nRestoreFileName=OLD.zip\r\n");
    }
    std::vector<std::string> records() {
        const auto lines = splitLogLines(readFile(ctx.programHost / "Torvane.Log"));
        std::vector<std::string> out;
        for (size_t i = 12; i < lines.size(); ++i) out.push_back(lines[i].substr(20));
        return out;
    }
    clsINI set() {
        clsINI ini(*ctx.context);
        ini.Read_INI("C:\\PROG\\DAILY.INI");
        return ini;
    }

    TestContext ctx;
};

TEST_F(BackupRunTest, StartBuildsTheRequestAndLogsTheTimeStampedPath) {
    BackupRun run(*ctx.context, "DAILY.INI");
    const zip::BackupRequest request = run.start();
    EXPECT_EQ(run.archivePath(), "C:\\BACKUPS\\20261231_235958\\DAILY.zip");
    EXPECT_EQ(request.archive, ctx.cRoot / "Backups/20261231_235958/DAILY.zip");
    EXPECT_EQ(request.sourceFolder, ctx.cRoot / "Data");
    EXPECT_EQ(request.pattern, "*.TXT");
    EXPECT_TRUE(request.recurse);
    EXPECT_FALSE(request.multiVolume);
    EXPECT_EQ(request.nameBase, ctx.cRoot);
    EXPECT_EQ(request.itemText(ctx.cRoot / "Data/Sub/b.txt"), "C:\\Data\\Sub\\b.txt");
    EXPECT_EQ(request.itemText(ctx.cRoot / "Data/a.txt"), "C:\\Data\\a.txt");
    // A path the source does not hold still gets its drive path.
    EXPECT_EQ(request.itemText(ctx.cRoot / "Database/c.txt"), "C:\\Database\\c.txt");
    EXPECT_EQ(request.itemText(ctx.cRoot / "Data/.hidden/./d.txt"), "C:\\Data\\.hidden\\d.txt");
    EXPECT_EQ(request.itemText(ctx.cRoot / "Data/Sub/../e.txt"), "C:\\Data\\e.txt");
    EXPECT_TRUE(request.leaveOut.empty());
    EXPECT_EQ(records(), (std::vector<std::string>{"Starting Backup DAILY.INI",
                                                   "Creating Backup File C:\\BACKUPS\\20261231_235958\\DAILY.zip"}));
}

TEST_F(BackupRunTest, ItemsOfASetAtTheDriveRootAreNamedFromTheRoot) {
    writeFile(ctx.programHost / "ROOT.INI",
              "[BACKUP SOURCE]\r\nBackupFiles=C:\\*.TXT\r\nBackupSubDirectories=ON\r\n[Destination]\r\n"
              "BackupFileName=ROOT\r\nMultiVolumeBackup=OFF\r\nBackupToDrive=C:\\BACKUPS\\\r\nTimeBackup=OFF\r\n");
    BackupRun run(*ctx.context, "ROOT.INI");
    const zip::BackupRequest request = run.start();
    EXPECT_EQ(request.itemText(ctx.cRoot / "Data/Sub/b.txt"), "C:\\Data\\Sub\\b.txt");
    EXPECT_EQ(request.itemText(ctx.cRoot / "top.txt"), "C:\\top.txt");
}

TEST_F(BackupRunTest, SuccessRecordsTheArchiveForTheRestore) {
    BackupRun run(*ctx.context, "DAILY.INI");
    run.start();
    EXPECT_EQ(run.finish({Status::Success, "", {}}), "Backup Complete");
    EXPECT_EQ(set().RestoreFromDrive(), "C:\\BACKUPS\\20261231_235958\\");
    EXPECT_EQ(set().RestoreFileName(), "DAILY.zip");
    EXPECT_EQ(records().back(), "Successful Backup");
    EXPECT_EQ(records()[2], "Finished Backup DAILY.INI");

    setTimeBackup("OFF");
    BackupRun plain(*ctx.context, "DAILY.INI");
    plain.start();
    EXPECT_EQ(plain.archivePath(), "C:\\BACKUPS\\DAILY.zip");
    plain.finish({Status::Success, "", {}});
    EXPECT_EQ(set().RestoreFromDrive(), "C:\\BACKUPS\\");
}

TEST_F(BackupRunTest, CancelAndFailureLeaveTheRestoreInformation) {
    BackupRun cancelled(*ctx.context, "DAILY.INI");
    cancelled.start();
    EXPECT_EQ(cancelled.finish({Status::Cancelled, "cancelled", {}}), "Backup Cancelled by User");
    EXPECT_EQ(records()[2], "Finished Backup DAILY.INI");
    EXPECT_EQ(records()[3], "Cancelled by User");

    BackupRun failed(*ctx.context, "DAILY.INI");
    failed.start();
    EXPECT_EQ(failed.finish({Status::Failed, "No space left on device", {}}),
              "Backup Failed - No space left on device");
    EXPECT_EQ(records().back(), "Backup Failed - No space left on device");
    EXPECT_EQ(set().RestoreFromDrive(), "OLD\\");
    EXPECT_EQ(set().RestoreFileName(), "OLD.zip");
}

TEST_F(BackupRunTest, SkippedFilesAreNamedAndTheRunEndsWithErrors) {
    BackupRun run(*ctx.context, "DAILY.INI");
    run.start();
    const std::string a = (ctx.cRoot / "Data/a.txt").string() + ": Permission denied";
    const std::string b = (ctx.cRoot / "Data/Sub/b.txt").string() + ": Input/output error";
    EXPECT_EQ(run.finish({Status::Success, "", {a, b}}), "Backup Completed with Errors - 2 file(s) skipped");
    const auto r = records();
    EXPECT_EQ(std::vector<std::string>(r.end() - 4, r.end()),
              (std::vector<std::string>{"Unable to Backup C:\\Data\\a.txt", "Unable to Backup C:\\Data\\Sub\\b.txt",
                                        "Finished Backup DAILY.INI",
                                        "Backup Completed with Errors - 2 file(s) skipped"}));
    EXPECT_EQ(set().RestoreFileName(), "DAILY.zip");
}

TEST_F(BackupRunTest, FilesChangedWhileReadAreNamedAndCountedWithTheSkippedOnes) {
    BackupRun run(*ctx.context, "DAILY.INI");
    run.start();
    const std::string a = (ctx.cRoot / "Data/a.txt").string() + ": Permission denied";
    const std::string b = (ctx.cRoot / "Data/Sub/b.txt").string();
    EXPECT_EQ(run.finish({Status::Success, "", {a}, {b}}), "Backup Completed with Errors - 2 file(s) skipped");
    const auto r = records();
    EXPECT_EQ(std::vector<std::string>(r.end() - 4, r.end()),
              (std::vector<std::string>{"Unable to Backup C:\\Data\\a.txt",
                                        "Unable to Backup C:\\Data\\Sub\\b.txt - File changed while it was read",
                                        "Finished Backup DAILY.INI",
                                        "Backup Completed with Errors - 2 file(s) skipped"}));

    BackupRun changedOnly(*ctx.context, "DAILY.INI");
    changedOnly.start();
    EXPECT_EQ(changedOnly.finish({Status::Success, "", {}, {b}}), "Backup Completed with Errors - 1 file(s) skipped");
}

TEST_F(BackupRunTest, ADestinationInsideTheSourceStaysOutOfEveryRun) {
    writeFile(ctx.programHost / "HOME.INI",
              "[BACKUP SOURCE]\r\nBackupFiles=C:\\DATA\\*.*\r\nBackupSubDirectories=ON\r\n[Destination]\r\n"
              "BackupFileName=HOME\r\nMultiVolumeBackup=OFF\r\nBackupToDrive=C:\\DATA\\BACKUPS\\\r\nTimeBackup=ON\r\n");
    writeFile(ctx.cRoot / "Data/Backups/notes.txt", "kept with the backups");
    const std::string leaving = "Leaving out C:\\DATA\\BACKUPS\\ - it receives the Backups of HOME.INI";
    zip::NoEvents events;
    for (int second = 0; second < 3; ++second) {
        ctx.clock.set({2027, 1, 2, 3, 4, second});
        BackupRun run(*ctx.context, "HOME.INI");
        const zip::BackupRequest request = run.start();
        const zip::Outcome outcome = zip::createArchive(request, events);
        ASSERT_EQ(outcome.status, Status::Success) << outcome.reason;
        EXPECT_EQ(run.finish(outcome), "Backup Complete");
        std::vector<std::string> names;
        for (const auto& m : zip::listArchive(*ctx.host->resolve(run.archivePath()))) names.push_back(m.name);
        EXPECT_EQ(names, (std::vector<std::string>{"Data/a.txt", "Data/Sub/b.txt"})) << run.archivePath();
        const auto r = records();
        EXPECT_EQ(std::count(r.begin(), r.end(), leaving), second + 1);
    }
    EXPECT_EQ(readFile(ctx.cRoot / "Data/Backups/notes.txt"), "kept with the backups");

    // A destination that is the source itself: its time-stamped folders stay out, the rest is in.
    writeFile(ctx.programHost / "SAME.INI",
              "[BACKUP SOURCE]\r\nBackupFiles=C:\\DATA\\SUB\\*.*\r\nBackupSubDirectories=ON\r\n[Destination]\r\n"
              "BackupFileName=SAME\r\nBackupToDrive=C:\\DATA\\SUB\\\r\nTimeBackup=ON\r\n");
    writeFile(ctx.cRoot / "Data/Sub/20261231_235959_notes/c.txt", "not a run's folder");
    for (int second = 10; second < 12; ++second) {
        ctx.clock.set({2027, 1, 2, 3, 4, second});
        BackupRun run(*ctx.context, "SAME.INI");
        const zip::Outcome outcome = zip::createArchive(run.start(), events);
        ASSERT_EQ(outcome.status, Status::Success) << outcome.reason;
        run.finish(outcome);
        std::vector<std::string> names;
        for (const auto& m : zip::listArchive(*ctx.host->resolve(run.archivePath()))) names.push_back(m.name);
        EXPECT_EQ(names, (std::vector<std::string>{"Data/Sub/b.txt", "Data/Sub/20261231_235959_notes/c.txt"}));
    }
    const auto r = records();
    EXPECT_EQ(std::count(r.begin(), r.end(),
                         "Leaving out the time-stamped folders of C:\\DATA\\SUB\\ - they receive the Backups of SAME.INI"),
              2);

    // Without subfolders the destination is never entered: nothing to say.
    writeFile(ctx.programHost / "FLAT.INI",
              "[BACKUP SOURCE]\r\nBackupFiles=C:\\DATA\\*.*\r\nBackupSubDirectories=OFF\r\n[Destination]\r\n"
              "BackupFileName=FLAT\r\nBackupToDrive=C:\\DATA\\BACKUPS\\\r\nTimeBackup=ON\r\n");
    BackupRun flat(*ctx.context, "FLAT.INI");
    EXPECT_TRUE(flat.start().leaveOut.empty());
    EXPECT_EQ(records().back(), "Creating Backup File " + flat.archivePath());
}

TEST_F(BackupRunTest, PathsWithoutADriveAreOnTheProgramFoldersDrive) {
    writeFile(ctx.programHost / "BARE.INI",
              "[BACKUP SOURCE]\r\nBackupFiles=\\DATA\\*.TXT\r\nBackupSubDirectories=ON\r\n[Destination]\r\n"
              "BackupFileName=BARE\r\nMultiVolumeBackup=OFF\r\nBackupToDrive=\\BACKUPS\\\r\nTimeBackup=OFF\r\n");
    BackupRun run(*ctx.context, "BARE.INI");
    const zip::BackupRequest request = run.start();
    EXPECT_EQ(request.sourceFolder, ctx.cRoot / "Data");
    EXPECT_EQ(request.pattern, "*.TXT");
    EXPECT_EQ(run.archivePath(), "C:\\BACKUPS\\BARE.zip");
    zip::NoEvents events;
    const zip::Outcome outcome = zip::createArchive(request, events);
    ASSERT_EQ(outcome.status, Status::Success) << outcome.reason;
    EXPECT_EQ(run.finish(outcome), "Backup Complete");
    EXPECT_EQ(zip::listArchive(ctx.cRoot / "Backups/BARE.zip").size(), 2u);
    clsINI ini(*ctx.context);
    ini.Read_INI("C:\\PROG\\BARE.INI");
    EXPECT_EQ(ini.RestoreFromDrive(), "C:\\BACKUPS\\");
}

TEST_F(BackupRunTest, TemporariesOfKilledTimeStampedRunsAreRemovedAtTheNextStart) {
    const pid_t ended = ::fork();
    if (ended == 0) ::_exit(0);
    ::waitpid(ended, nullptr, 0);
    const std::string temporary = ".DAILY.zip.tvtmp" + std::to_string(ended) + "-0";
    writeFile(ctx.cRoot / "Backups/20261230_101010" / temporary, "half an archive");
    writeFile(ctx.cRoot / "Backups/Old" / temporary, "not in a run's folder");
    const std::string other = ".OTHER.zip.tvtmp" + std::to_string(ended) + "-0";
    writeFile(ctx.cRoot / "Backups/20261230_101010" / other, "other set");
    BackupRun run(*ctx.context, "DAILY.INI");
    run.start();
    EXPECT_FALSE(std::filesystem::exists(ctx.cRoot / "Backups/20261230_101010" / temporary));
    EXPECT_TRUE(std::filesystem::exists(ctx.cRoot / "Backups/Old" / temporary));
    EXPECT_TRUE(std::filesystem::exists(ctx.cRoot / "Backups/20261230_101010" / other));
}

TEST_F(BackupRunTest, AVerifiedRunIsRecordedAfterItsEndAndTheResultFollowsTheOutcome) {
    using Checked = zip::Verification::Status;
    BackupRun run(*ctx.context, "DAILY.INI");
    zip::BackupRequest request = run.start();
    ASSERT_TRUE(run.verification());
    EXPECT_EQ(run.verification()->archive, request.archive);
    EXPECT_EQ(run.verification()->itemText("Data/Sub/b.txt"), "C:\\Data\\Sub\\b.txt");
    zip::NoEvents events;
    const zip::Outcome outcome = zip::createArchive(request, events);
    const zip::Verification verified = zip::verifyArchive(*run.verification(), events);
    ASSERT_EQ(verified.status, Checked::Verified) << verified.reason;
    EXPECT_EQ(run.finish(outcome, verified), "Backup Complete");
    EXPECT_EQ(run.result(), RunResult::Success);
    auto r = records();
    EXPECT_EQ(std::vector<std::string>(r.end() - 3, r.end()),
              (std::vector<std::string>{"Finished Backup DAILY.INI", "Backup Verified - 2 file(s)", "Successful Backup"}));

    BackupRun skipped(*ctx.context, "DAILY.INI");
    skipped.start();
    skipped.finish({Status::Success, "", {(ctx.cRoot / "Data/a.txt").string() + ": Permission denied"}},
                   zip::Verification{Checked::Verified, 1, "", ""});
    EXPECT_EQ(skipped.result(), RunResult::Skipped);
    r = records();
    EXPECT_EQ(r.end()[-2], "Backup Verified - 1 file(s)");

    BackupRun cancelled(*ctx.context, "DAILY.INI");
    cancelled.start();
    EXPECT_EQ(cancelled.finish({Status::Success, "", {}}, zip::Verification{Checked::Cancelled, 0, "", "cancelled"}),
              "Backup Cancelled by User");
    EXPECT_EQ(cancelled.result(), RunResult::Cancelled);
    EXPECT_EQ(records().back(), "Cancelled by User");

    BackupRun stopped(*ctx.context, "DAILY.INI");
    stopped.start();
    stopped.finish({Status::Cancelled, "cancelled", {}});
    EXPECT_EQ(stopped.result(), RunResult::Cancelled);
    BackupRun failed(*ctx.context, "DAILY.INI");
    EXPECT_EQ(failed.result(), RunResult::Failed);
    failed.start();
    failed.finish({Status::Failed, "No space left on device", {}});
    EXPECT_EQ(failed.result(), RunResult::Failed);
}

TEST_F(BackupRunTest, ADamagedArchiveFailsTheRunAndTheRestoreKeepsThePreviousArchive) {
    BackupRun run(*ctx.context, "DAILY.INI");
    run.start();
    EXPECT_EQ(run.finish({Status::Success, "", {}},
                         zip::Verification{zip::Verification::Status::Failed, 0, "Data/a.txt", "CRC mismatch"}),
              "Backup Failed - Verification: Data/a.txt - CRC mismatch");
    EXPECT_EQ(run.result(), RunResult::Failed);
    const auto r = records();
    EXPECT_EQ(std::vector<std::string>(r.end() - 2, r.end()),
              (std::vector<std::string>{"Finished Backup DAILY.INI",
                                        "Backup Failed - Verification: Data/a.txt - CRC mismatch"}));
    EXPECT_EQ(set().RestoreFromDrive(), "OLD\\");
    EXPECT_EQ(set().RestoreFileName(), "OLD.zip");

    BackupRun truncated(*ctx.context, "DAILY.INI");
    truncated.start();
    zip::NoEvents events;
    const zip::Verification missing = zip::verifyArchive(*truncated.verification(), events);
    EXPECT_EQ(truncated.finish({Status::Success, "", {}}, missing)
                  .rfind("Backup Failed - Verification: " + truncated.archivePath() + " - ", 0),
              0u);
}

TEST_F(BackupRunTest, ASetWithVerifyOffPlansNoReadBack) {
    writeFile(ctx.programHost / "DAILY.INI", readFile(ctx.programHost / "DAILY.INI") + "[OPTIONS]\r\nVerify=OFF\r\n");
    BackupRun run(*ctx.context, "DAILY.INI");
    run.start();
    EXPECT_FALSE(run.verification());
}

TEST_F(BackupRunTest, UnreachableSourceFailsAtStart) {
    writeFile(ctx.programHost / "BAD.INI", "[BACKUP SOURCE]\r\nBackupFiles=Q:\\DATA\\*.*\r\n[Destination]\r\n"
                                           "BackupToDrive=C:\\\r\nBackupFileName=B\r\n");
    BackupRun run(*ctx.context, "BAD.INI");
    EXPECT_THROW(run.start(), std::runtime_error);
}

TEST_F(BackupRunTest, RealRunThatFailsKeepsThePreviousArchive) {
    setTimeBackup("OFF");
    writeFile(ctx.cRoot / "Backups/DAILY.zip", "previous archive");
    BackupRun run(*ctx.context, "DAILY.INI");
    zip::BackupRequest request = run.start();
    request.faults.failWriteAfterBytes = 10;
    zip::NoEvents events;
    const zip::Outcome outcome = zip::createArchive(request, events);
    ASSERT_EQ(outcome.status, Status::Failed);
    run.finish(outcome);
    EXPECT_EQ(readFile(ctx.cRoot / "Backups/DAILY.zip"), "previous archive");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(ctx.cRoot / "Backups"), {}), 1);
    EXPECT_EQ(records().back().rfind("Backup Failed - ", 0), 0u);

    BackupRun again(*ctx.context, "DAILY.INI");
    const zip::Outcome ok = zip::createArchive(again.start(), events);
    ASSERT_EQ(ok.status, Status::Success) << ok.reason;
    const auto members = zip::listArchive(ctx.cRoot / "Backups/DAILY.zip");
    ASSERT_EQ(members.size(), 2u);
    EXPECT_EQ(members[0].name.substr(0, 5), "Data/");
}

TEST_F(BackupRunTest, ExclusionsOfTheSetGoToTheEngine) {
    writeFile(ctx.programHost / "HOME.INI",
              "[BACKUP SOURCE]\r\nBackupFiles=C:\\DATA\\*.*\r\nBackupSubDirectories=ON\r\n[Destination]\r\n"
              "BackupFileName=HOME\r\nBackupToDrive=C:\\BACKUPS\\\r\nTimeBackup=OFF\r\n[Options]\r\n"
              "Exclude=*.tmp;SUB\\\r\n");
    writeFile(ctx.cRoot / "Data/c.TMP", "left out");
    BackupRun run(*ctx.context, "HOME.INI");
    const zip::BackupRequest request = run.start();
    EXPECT_EQ(request.exclude, "*.tmp;SUB\\");
    zip::NoEvents events;
    ASSERT_EQ(zip::createArchive(request, events).status, Status::Success);
    const auto members = zip::listArchive(ctx.cRoot / "Backups/HOME.zip");
    ASSERT_EQ(members.size(), 1u);
    EXPECT_EQ(members[0].name, "Data/a.txt");

    // A folder that refuses to be read is not even noticed below an excluded one.
    writeFile(ctx.cRoot / "Data/Sub/Locked/c.txt", "unreadable");
    for (const char* exclude : {"*.tmp", "*.tmp;SUB\\"}) {
        clsFiles(*ctx.context).WriteINI("OPTIONS", "Exclude", exclude, "C:\\PROG\\HOME.INI");
        BackupRun locked(*ctx.context, "HOME.INI");
        zip::BackupRequest r = locked.start();
        r.faults.failRead = [](const std::filesystem::path& p) { return p.filename() == "Locked"; };
        locked.finish(zip::createArchive(r, events));
        const auto log = records();
        // Once, from the run without SUB\ in the list.
        EXPECT_EQ(std::count(log.begin(), log.end(), "Unable to Backup C:\\Data\\Sub\\Locked"), 1) << exclude;
    }
}

class BackupRunKeep : public BackupRunTest {
protected:
    void setKeep(const std::string& keep) {
        clsFiles(*ctx.context).WriteINI("OPTIONS", "Keep", keep, "C:\\PROG\\DAILY.INI");
    }
    // One real run at that second of 2027-01-02 10:00, read back as the progress window does;
    // `damage` spoils a member between writing and reading back.
    std::string runAt(int second, zip::Faults faults = {}, bool damage = false) {
        ctx.clock.set({2027, 1, 2, 10, 0, second});
        BackupRun run(*ctx.context, "DAILY.INI");
        zip::BackupRequest request = run.start();
        request.faults = std::move(faults);
        zip::NoEvents events;
        const zip::Outcome outcome = zip::createArchive(request, events);
        std::optional<zip::Verification> verified;
        if (auto verify = run.verification(); verify && outcome.status == Status::Success) {
            if (damage) {
                verify->afterWrite = [](const std::filesystem::path& archive) {
                    zip::flipMemberByte(archive, "Data/a.txt");
                };
            }
            verified = zip::verifyArchive(*verify, events);
        }
        return run.finish(outcome, verified);
    }
    std::vector<std::string> folders() {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(ctx.cRoot / "Backups"))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    std::vector<std::string> removals() {
        std::vector<std::string> out;
        for (const std::string& r : records())
            if (r.find("Old Backup") != std::string::npos || r.find("Old Backups") != std::string::npos)
                out.push_back(r);
        return out;
    }
};

TEST_F(BackupRunKeep, ASuccessfulRunRemovesTheSetsBackupsBeyondKeep) {
    setKeep("2");
    for (int second = 1; second <= 4; ++second) EXPECT_EQ(runAt(second), "Backup Complete");
    EXPECT_EQ(folders(), (std::vector<std::string>{"20270102_100003", "20270102_100004"}));
    EXPECT_EQ(removals(), (std::vector<std::string>{"Removed Old Backup C:\\Backups\\20270102_100001\\",
                                                    "Removed Old Backup C:\\Backups\\20270102_100002\\"}));
    const auto r = records();
    EXPECT_EQ(r[r.size() - 2], "Successful Backup") << "the removal follows the run's outcome";

    // A clock set back does not cost the run its own archive; a set that is not read back
    // removes its old backups after writing.
    setKeep("1");
    clsFiles(*ctx.context).WriteINI("OPTIONS", "Verify", "OFF", "C:\\PROG\\DAILY.INI");
    EXPECT_EQ(runAt(0), "Backup Complete");
    EXPECT_EQ(folders(), (std::vector<std::string>{"20270102_100000", "20270102_100004"}));
    EXPECT_EQ(set().RestoreFromDrive(), "C:\\BACKUPS\\20270102_100000\\");
}

TEST_F(BackupRunKeep, OnlyAWholeRunRemovesAnything) {
    setKeep("1");
    for (int second = 1; second <= 2; ++second) writeFile(ctx.cRoot / "Backups" / ("20270102_10000" +
                                                          std::to_string(second)) / "DAILY.zip", "earlier run");
    const std::vector<std::string> before = folders();

    zip::Faults full;
    full.failWriteAfterBytes = 0;
    EXPECT_EQ(runAt(5, full).rfind("Backup Failed - ", 0), 0u);
    zip::Faults unreadable;
    unreadable.failRead = [](const std::filesystem::path& p) { return p.filename() == "b.txt"; };
    EXPECT_EQ(runAt(6, unreadable), "Backup Completed with Errors - 1 file(s) skipped");
    EXPECT_EQ(removals(), std::vector<std::string>{"Old Backups of DAILY.INI kept - the Backup is incomplete"});
    EXPECT_EQ(runAt(4, {}, true).rfind("Backup Failed - Verification: Data/a.txt - ", 0), 0u);
    EXPECT_EQ(removals().size(), 1u) << "a backup that does not read back whole removes nothing";
    ctx.clock.set({2027, 1, 2, 10, 0, 3});
    BackupRun unchecked(*ctx.context, "DAILY.INI");
    zip::NoEvents events;
    EXPECT_EQ(unchecked.finish(zip::createArchive(unchecked.start(), events)), "Backup Complete");
    EXPECT_EQ(removals().size(), 1u) << "nor one of a set that verifies and was not read back";
    BackupRun cancelled(*ctx.context, "DAILY.INI");
    cancelled.start();
    cancelled.finish({Status::Cancelled, "cancelled", {}});
    std::vector<std::string> expected = before;
    expected.push_back("20270102_100003");
    expected.push_back("20270102_100004");
    // The failed run's folder is left empty; holding no archive, it is no backup to count.
    expected.push_back("20270102_100005");
    expected.push_back("20270102_100006");
    EXPECT_EQ(folders(), expected);
    EXPECT_TRUE(std::filesystem::is_empty(ctx.cRoot / "Backups/20270102_100005"));

    setKeep("one");
    EXPECT_EQ(runAt(7), "Backup Complete");
    EXPECT_EQ(removals().back(), "Old Backups of DAILY.INI kept - Keep=one is not a whole number");
    expected.push_back("20270102_100007");
    EXPECT_EQ(folders(), expected);

    // Without time stamps every run replaces the same archive: Keep has nothing to do.
    setTimeBackup("OFF");
    setKeep("1");
    const size_t said = removals().size();
    EXPECT_EQ(runAt(8), "Backup Complete");
    EXPECT_EQ(removals().size(), said);
    expected.push_back("DAILY.zip");
    EXPECT_EQ(folders(), expected);
}

// Tests run with rights that read everything: the read seam stands in for a set its user may not
// read.
TEST_F(BackupRunKeep, ASetThatCannotBeReadFailsItsRunOrKeepsItsOldBackups) {
    setKeep("1");
    const std::string before = readFile(ctx.programHost / "DAILY.INI");
    {
        platform::FileReadFaultHook unreadable(
            [](const std::filesystem::path& file) { return file.filename() == "DAILY.INI"; }, EACCES);
        BackupRun run(*ctx.context, "DAILY.INI");
        std::string reason;
        try {
            run.start();
        } catch (const std::exception& e) {
            reason = e.what();
        }
        // As the progress window ends a run whose start failed.
        EXPECT_EQ(run.finish({Status::Failed, reason, {}}),
                  "Backup Failed - File DAILY.INI cannot be read: Permission denied.");
    }
    EXPECT_EQ(readFile(ctx.programHost / "DAILY.INI"), before);
    EXPECT_TRUE(folders().empty());

    // Once the run has recorded its archive, the set cannot be read: nothing tells which backup
    // the restore still needs, so none goes.
    writeFile(ctx.cRoot / "Backups/20270102_100001/DAILY.zip", "earlier run");
    platform::FileReadFaultHook afterTheRecord(
        [](const std::filesystem::path& file) {
            return file.filename() == "DAILY.INI" &&
                   readFile(file).find("RestoreFileName=DAILY.zip") != std::string::npos;
        },
        EACCES);
    EXPECT_EQ(runAt(2), "Backup Complete");
    EXPECT_EQ(removals(), std::vector<std::string>{
                              "Old Backups of DAILY.INI kept - File DAILY.INI cannot be read: Permission denied."});
    EXPECT_EQ(folders(), (std::vector<std::string>{"20270102_100001", "20270102_100002"}));
}

TEST(BackupRunStamp, FormatsYearMonthDayUnderscoreTime) {
    EXPECT_EQ(BackupRun::timeStamp({1999, 12, 31, 23, 59, 59}), "19991231_235959");
    EXPECT_EQ(BackupRun::timeStamp({2026, 1, 2, 3, 4, 5}), "20260102_030405");
}

}  // namespace
}  // namespace torvane
