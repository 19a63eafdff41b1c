#include "common/clsLog.h"

#include <gtest/gtest.h>
#include <utime.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <thread>

#include "BuildVersion.h"
#include "TestContext.h"
#include "platform/AtomicFile.h"

namespace torvane {
namespace {

using test::readFile;
using test::TestContext;
using test::writeFile;

const std::string kHyphens(80, '-');

class LogTest : public ::testing::Test {
protected:
    LogTest() : ctx("", "") {}
    std::filesystem::path logFile() const { return ctx.programHost / "Torvane.Log"; }
    std::filesystem::path bakFile() const { return ctx.programHost / "Torvane.Bak"; }
    clsLog log() { return clsLog(*ctx.context, LogFlavour::utility()); }
    std::vector<std::string> lines() { return splitLogLines(readFile(logFile())); }
    static void setModified(const std::filesystem::path& p, int year, int month, int day) {
        std::tm tm{};
        tm.tm_year = year - 1900;
        tm.tm_mon = month - 1;
        tm.tm_mday = day;
        tm.tm_hour = 12;
        tm.tm_isdst = -1;
        const utimbuf times{std::mktime(&tm), std::mktime(&tm)};
        ASSERT_EQ(::utime(p.c_str(), &times), 0);
    }
    std::string header() {
        std::string h;
        for (size_t i = 0; i < 12; ++i) h += lines()[i] + "\r\n";
        return h;
    }

    TestContext ctx;
};

TEST_F(LogTest, FirstRecordCreatesTheHeaderThenAppendsRecords) {
    ctx.clock.set({2026, 3, 5, 9, 7, 3});
    log().WriteToLog("Startup", true);
    log().WriteToLog("Command Line", true);
    log().WriteToLog("Backup", false, "plain");
    log().WriteToLog("Backup", true, "dated");
    log().WriteToLog("INI Edit", false, "edited");
    log().WriteToLog("PrevInstance", true);
    log().WriteToLog("Exit", true, std::int16_t{3});
    const auto l = lines();
    ASSERT_EQ(l.size(), 12u + 8u);
    EXPECT_EQ(l[0], kHyphens);
    EXPECT_EQ(l[2], "Torvane - Backup Utility");
    EXPECT_EQ(l[10], "Transaction Log");
    EXPECT_EQ(l[11], kHyphens);
    EXPECT_EQ(l[12], "05/03/2026 09:07:03 Application " + test::buildVersion() + " Started");
    EXPECT_EQ(l[13], std::string(20, ' ') + "Command Line Parameter = Nil");
    EXPECT_EQ(l[14], std::string(20, ' ') + "plain");
    EXPECT_EQ(l[15], "05/03/2026 09:07:03 dated");
    EXPECT_EQ(l[16], "05/03/2026 09:07:03 edited");
    EXPECT_EQ(l[17], "05/03/2026 09:07:03 Previous Instance Detected - Not Started");
    EXPECT_EQ(l[18], "05/03/2026 09:07:03 Application Closed - Unloaded by Windows Task Manager is ending.");
    EXPECT_EQ(l[19], kHyphens);
    EXPECT_EQ(readFile(logFile()).substr(0, 82), kHyphens + "\r\n");
}

TEST_F(LogTest, CommandLineRecordShowsTheText) {
    TestContext withArgs("", "WEEKLY.INI");
    clsLog(*withArgs.context, LogFlavour::utility()).WriteToLog("Command Line", true);
    EXPECT_EQ(splitLogLines(readFile(withArgs.programHost / "Torvane.Log")).back(),
              std::string(20, ' ') + "Command Line Parameter = WEEKLY.INI");
}

TEST_F(LogTest, UnknownTypeShowsTheMissingCaseBoxAndWritesNothing) {
    log().WriteToLog("Backup", true, "x");
    const std::string before = readFile(logFile());
    ctx.prompts.answerMessage(MsgAnswer::Ok);
    log().WriteToLog("Shutdown", true);
    EXPECT_EQ(readFile(logFile()), before);
    EXPECT_EQ(ctx.prompts.lastMessage().text, "Hey");
    EXPECT_EQ(ctx.prompts.lastMessage().title, "Select Case Missing");
    EXPECT_EQ(ctx.prompts.lastMessage().icon, MsgIcon::Exclamation);
}

TEST_F(LogTest, SchedulerFlavourDiffersOnlyWhereItShould) {
    ctx.globals.sLogFile = ctx.programFolder() + "\\Torvane Scheduler.Log";
    clsLog sched(*ctx.context, LogFlavour::scheduler());
    sched.WriteToLog("UnableToFind", true);
    sched.WriteToLog("Exit", true, std::int16_t{1});
    ctx.prompts.answerMessage(MsgAnswer::Ok);
    sched.WriteToLog("Command Line", true);
    const auto l = splitLogLines(readFile(ctx.programHost / "Torvane Scheduler.Log"));
    ASSERT_EQ(l.size(), 15u);
    EXPECT_EQ(l[2], "Torvane - Scheduler");
    EXPECT_EQ(l[12], std::string(20, ' ') + "Unable to Find Torvane Backup Utility");
    EXPECT_EQ(l[13], "15/03/2026 10:30:00 Application Closed");
    EXPECT_EQ(l[14], kHyphens);

    setModified(ctx.programHost / "Torvane Scheduler.Log", 2026, 2, 20);
    ctx.clock.set({2026, 3, 1, 8, 0, 0});
    sched.WriteToLog("Startup", true);
    EXPECT_TRUE(std::filesystem::exists(ctx.programHost / "Torvane Scheduler.BAK"));
}

TEST_F(LogTest, MonthlyMoveOnTheFirstReplacesTheOlderCompanion) {
    log().WriteToLog("Backup", true, "february");
    writeFile(bakFile(), "older month");
    setModified(logFile(), 2026, 2, 27);
    ctx.clock.set({2026, 3, 1, 8, 0, 0});
    log().WriteToLog("Backup", true, "march");
    EXPECT_NE(readFile(bakFile()).find("february"), std::string::npos);
    EXPECT_EQ(lines().size(), 13u);
    EXPECT_EQ(lines()[12], "01/03/2026 08:00:00 march");
}

TEST_F(LogTest, MonthlyMoveLeavesOlderOrSameMonthLogsAndOtherDays) {
    log().WriteToLog("Backup", true, "january");
    setModified(logFile(), 2026, 1, 10);
    ctx.clock.set({2026, 3, 1, 8, 0, 0});
    log().WriteToLog("Backup", true, "march");
    EXPECT_FALSE(std::filesystem::exists(bakFile()));
    setModified(logFile(), 2026, 2, 10);
    ctx.clock.set({2026, 3, 2, 8, 0, 0});
    log().WriteToLog("Backup", true, "second");
    EXPECT_FALSE(std::filesystem::exists(bakFile()));
    setModified(logFile(), 2025, 2, 10);  // the month before, but of an earlier year
    ctx.clock.set({2026, 3, 1, 8, 0, 0});
    log().WriteToLog("Backup", true, "third");
    EXPECT_FALSE(std::filesystem::exists(bakFile()));
    EXPECT_EQ(lines().size(), 16u);
}

TEST_F(LogTest, DecemberIsTheMonthBeforeJanuary) {
    log().WriteToLog("Backup", true, "december");
    setModified(logFile(), 2025, 12, 30);
    ctx.clock.set({2026, 1, 1, 0, 5, 0});
    log().WriteToLog("Backup", true, "new year");
    EXPECT_NE(readFile(bakFile()).find("december"), std::string::npos);
    EXPECT_EQ(lines().size(), 13u);
}

// The first record of a month moves the log aside; every later record of that day finds a log of
// the current month and leaves it, even when several writers reach the 1st at once.
TEST_F(LogTest, OnlyTheFirstRecordOnTheFirstMovesTheLog) {
    const platform::LocalDateTime now = platform::toLocal(std::chrono::system_clock::now());
    log().WriteToLog("Backup", true, "last month");
    setModified(logFile(), now.month == 1 ? now.year - 1 : now.year, now.month == 1 ? 12 : now.month - 1, 15);
    ctx.clock.set({now.year, now.month, 1, 0, 0, 1});

    std::vector<std::thread> writers;
    for (int w = 0; w < 4; ++w)
        writers.emplace_back([this, w] { log().WriteToLog("Backup", true, "first day " + std::to_string(w)); });
    for (auto& writer : writers) writer.join();
    log().WriteToLog("Backup", true, "later that day");

    const std::string moved = readFile(bakFile());
    EXPECT_NE(moved.find("last month"), std::string::npos);
    EXPECT_EQ(moved.find("first day"), std::string::npos);
    const auto l = lines();
    ASSERT_EQ(l.size(), 12u + 5u);
    EXPECT_EQ(l[0], kHyphens);
    EXPECT_EQ(l.back().substr(20), "later that day");
}

// Several programs creating and appending to one log at once: each used to be able to replace
// the file another had just created, taking that one's records with it.
TEST_F(LogTest, WritersAtOnceKeepEveryRecordUnderOneHeader) {
    constexpr int kWriters = 6;
    constexpr int kRecords = 30;
    for (int round = 0; round < 5; ++round) {
        std::filesystem::remove(logFile());
        std::vector<std::thread> writers;
        for (int w = 0; w < kWriters; ++w)
            writers.emplace_back([this, w] {
                for (int r = 0; r < kRecords; ++r)
                    log().WriteToLog("Backup", false, "writer " + std::to_string(w) + " record " + std::to_string(r));
            });
        for (auto& writer : writers) writer.join();

        const auto l = lines();
        ASSERT_EQ(l.size(), 12u + kWriters * kRecords) << "round " << round;
        EXPECT_EQ(std::count(l.begin(), l.end(), "Transaction Log"), 1);
        EXPECT_EQ(l[10], "Transaction Log");
        for (int w = 0; w < kWriters; ++w)
            for (int r = 0; r < kRecords; ++r)
                EXPECT_EQ(std::count(l.begin(), l.end(),
                                     std::string(20, ' ') + "writer " + std::to_string(w) + " record " + std::to_string(r)),
                          1);
    }
}

class TruncateTest : public LogTest {
protected:
    // A header and `records` records of 38 bytes each (36 characters and CR LF).
    void fill(int records) {
        log().WriteToLog("Backup", true, "first record");
        std::string text = readFile(logFile());
        for (int i = 0; i < records; ++i) {
            char buf[64];
            std::snprintf(buf, sizeof buf, "%036d\r\n", i);
            text += buf;
        }
        writeFile(logFile(), text);
    }
};

TEST_F(TruncateTest, ExactlyAtTheLimitIsCutWithoutTheRecord) {
    fill(100);
    const auto size = static_cast<std::int32_t>(std::filesystem::file_size(logFile()));
    const auto before = lines();
    log().Log_Truncate(size);
    const auto after = lines();
    EXPECT_LT(std::filesystem::file_size(logFile()), static_cast<std::uintmax_t>(size));
    ASSERT_GE(after.size(), 13u);
    EXPECT_TRUE(std::equal(before.begin(), before.begin() + 13, after.begin()));
    EXPECT_EQ(readFile(logFile()).find("Truncated"), std::string::npos);
    EXPECT_EQ(after[13], before[14]);  // only the oldest record went
    EXPECT_EQ(after.back(), "");     // the cut ends the text with one more line end
}

TEST_F(TruncateTest, LargerLogGetsTheRecordFirstAndLandsBelowTheLimit) {
    fill(2000);
    const auto thousands = std::filesystem::file_size(logFile()) / 1000;
    const auto before = lines();
    log().Log_Truncate(52000);
    const auto after = lines();
    EXPECT_LT(std::filesystem::file_size(logFile()), 52000u);
    EXPECT_TRUE(std::equal(before.begin(), before.begin() + 13, after.begin()));
    const std::string record = after[after.size() - 2];
    EXPECT_EQ(record.substr(20), "Log File Truncated from " + std::to_string(thousands) + "K to about 52K");
    EXPECT_EQ(after[13], before[13 + (before.size() - after.size()) + 2]);
}

TEST_F(TruncateTest, BelowTheLimitNothingChanges) {
    fill(10);
    const std::string before = readFile(logFile());
    log().Log_Truncate(52000);
    EXPECT_EQ(readFile(logFile()), before);
}

TEST_F(TruncateTest, AlwaysEndsAndKeepsTheHeaderWhenNothingCanBeCut) {
    log().WriteToLog("Backup", true, "x");
    const std::string headerOnly = header();
    writeFile(logFile(), headerOnly);  // 12 lines, over any small limit
    log().Log_Truncate(100);
    EXPECT_EQ(readFile(logFile()).substr(0, headerOnly.size()), headerOnly);

    writeFile(logFile(), headerOnly + "line 13\r\n" + std::string(70000, 'x') + "\r\n");
    log().Log_Truncate(52000);
    const auto after = lines();
    EXPECT_EQ(after[12], "line 13");
    EXPECT_LT(std::filesystem::file_size(logFile()), 52000u);

    writeFile(logFile(), headerOnly + "line 13\r\n\r\n\r\n");
    log().Log_Truncate(10);
    EXPECT_EQ(lines()[12], "line 13");
}

TEST_F(TruncateTest, FailedRewriteLeavesTheWholeLog) {
    fill(2000);
    const auto thousands = std::filesystem::file_size(logFile()) / 1000;
    {
        platform::AtomicWriteFaultHook fault([](const std::filesystem::path&) { throw std::runtime_error("disk full"); });
        log().Log_Truncate(52000);
    }
    const auto l = lines();
    EXPECT_EQ(l.size(), 13u + 2000u + 1u);
    EXPECT_EQ(l.back().substr(20), "Log File Truncated from " + std::to_string(thousands) + "K to about 52K");
}

TEST_F(TruncateTest, MissingLogIsLeftAlone) {
    log().Log_Truncate(10);
    EXPECT_FALSE(std::filesystem::exists(logFile()));
}

// The cut rewrites the log; records appended meanwhile by another program must survive it.
TEST_F(TruncateTest, RecordsAppendedDuringTheCutSurviveIt) {
    for (int round = 0; round < 5; ++round) {
        std::filesystem::remove(logFile());
        fill(1700);
        std::thread cutter([this] { log().Log_Truncate(52000); });
        std::vector<std::thread> writers;
        for (int w = 0; w < 3; ++w)
            writers.emplace_back([this, w] {
                for (int r = 0; r < 20; ++r)
                    log().WriteToLog("Backup", false, "new " + std::to_string(w) + "." + std::to_string(r));
            });
        cutter.join();
        for (auto& writer : writers) writer.join();

        const auto l = lines();
        EXPECT_LT(std::filesystem::file_size(logFile()), 56000u);
        for (int w = 0; w < 3; ++w)
            for (int r = 0; r < 20; ++r)
                EXPECT_EQ(std::count(l.begin(), l.end(), std::string(20, ' ') + "new " + std::to_string(w) + "." + std::to_string(r)), 1)
                    << "round " << round;
    }
}

TEST_F(TruncateTest, TheCutKeepsThePermissionBits) {
    fill(2000);
    std::filesystem::permissions(logFile(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                                                std::filesystem::perms::group_read);
    log().Log_Truncate(52000);
    EXPECT_LT(std::filesystem::file_size(logFile()), 52000u);
    EXPECT_EQ(std::filesystem::status(logFile()).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write | std::filesystem::perms::group_read);
}

TEST_F(LogTest, ANameWithControlCharactersStaysOneRecord) {
    ctx.clock.set({2026, 3, 5, 9, 7, 3});
    const std::string name = std::string("C:\\in\nfo\rrged\x1b[2Jname") + '\0' + "end.txt";
    log().WriteToLog("Backup", true, "Unable to Backup " + name);
    log().WriteToLog("INI Edit", false, "Edited " + name);
    log().WriteToLog("Backup", true, "next");
    const std::string text = readFile(logFile());
    const auto l = lines();
    ASSERT_EQ(l.size(), 12u + 3u) << text;
    const std::string shown = "C:\\in\u240Afo\u240Drged\u241B[2Jname\u2400end.txt";
    EXPECT_EQ(l[12], "05/03/2026 09:07:03 Unable to Backup " + shown);
    EXPECT_EQ(l[13], "05/03/2026 09:07:03 Edited " + shown);
    EXPECT_EQ(l[14], "05/03/2026 09:07:03 next");
    for (const char c : text.substr(text.find("Unable")))
        EXPECT_TRUE(static_cast<unsigned char>(c) >= 0x20 || c == '\r' || c == '\n');
    EXPECT_EQ(std::count(text.begin(), text.end(), '\r'), std::count(text.begin(), text.end(), '\n'));
}

}  // namespace
}  // namespace torvane
