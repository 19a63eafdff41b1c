#include <gtest/gtest.h>

#include <cerrno>

#include "SchedulerFixture.h"
#include "common/TorvaneError.h"
#include "platform/AtomicFile.h"
#include "scheduler/clsFiles.h"
#include "scheduler/clsRegistry.h"

namespace torvane::scheduler {
namespace {

ScheduleRow event(const std::string& set, const std::string& date = "01/02/2027") {
    return {set, "Daily", date, "09:00", "Enabled"};
}

class ScheduleStore : public ::testing::Test {
  protected:
    test::SchedulerWorld world;
    clsRegistry registry{*world.store};

    std::vector<ScheduleRow> load() {
        VectorScheduleList list;
        clsRegistry(*world.store).Load(list);
        return list.rows();
    }
};

TEST_F(ScheduleStore, AnEmptyStoreLoadsNothing) { EXPECT_TRUE(load().empty()); }

TEST_F(ScheduleStore, SavedEntriesLoadInOrderWithAllFiveValues) {
    registry.SaveEntry(1, event("DAILY.INI"));
    registry.SaveEntry(2, {"WEEKLY.INI", "Weekly", "05/02/2027", "23:59", "Complete"});
    EXPECT_EQ(load(), (std::vector<ScheduleRow>{
                          event("DAILY.INI"),
                          {"WEEKLY.INI", "Weekly", "05/02/2027", "23:59", "Complete"}}));
}

TEST_F(ScheduleStore, LoadingStopsAtTheFirstEmptyBackupSet) {
    registry.SaveEntry(1, event("A.INI"));
    registry.SaveEntry(2, ScheduleRow{});
    registry.SaveEntry(3, event("C.INI"));
    EXPECT_EQ(load(), std::vector<ScheduleRow>{event("A.INI")});

    registry.SaveEntry(1, ScheduleRow{});
    EXPECT_TRUE(load().empty());
}

TEST_F(ScheduleStore, DeletingEntryTwoOfFourMovesTheLaterOnesDown) {
    for (int n = 1; n <= 4; ++n) registry.SaveEntry(n, event("SET" + std::to_string(n) + ".INI"));
    VectorScheduleList list;
    registry.Load(list);

    clsRegistry(*world.store).DeleteEntry(2, list);

    EXPECT_EQ(load(),
              (std::vector<ScheduleRow>{event("SET1.INI"), event("SET3.INI"), event("SET4.INI")}));
    const auto sections = world.store->sections();
    EXPECT_EQ(sections, (std::vector<std::string>{"Item1", "Item2", "Item3"}));
}

TEST_F(ScheduleStore, RenumberingRewritesDatesAndTimesInTheShortFormats) {
    registry.SaveEntry(1, event("A.INI"));
    registry.SaveEntry(2, {"B.INI", "Daily", "1/2/2027", "9:05", "Enabled"});
    VectorScheduleList list;
    registry.Load(list);
    registry.DeleteEntry(1, list);
    EXPECT_EQ(load(),
              (std::vector<ScheduleRow>{{"B.INI", "Daily", "01/02/2027", "09:05", "Enabled"}}));
}

TEST_F(ScheduleStore, DeletingTheLastEntryLeavesItEmptyToEndTheList) {
    registry.SaveEntry(1, event("A.INI"));
    registry.SaveEntry(2, event("B.INI"));
    VectorScheduleList list;
    registry.Load(list);
    registry.DeleteEntry(2, list);
    EXPECT_EQ(load(), std::vector<ScheduleRow>{event("A.INI")});
    EXPECT_EQ(world.store->get("Item2", "BackupSet", "missing"), "");
}

TEST_F(ScheduleStore, DeletingTheOnlyEntryThenAddingWritesItemOne) {
    registry.SaveEntry(1, event("A.INI"));
    VectorScheduleList list;
    registry.Load(list);
    registry.DeleteEntry(1, list);
    list.removeRow(1);
    EXPECT_TRUE(load().empty());

    registry.SaveEntry(list.count() + 1, event("B.INI"));
    EXPECT_EQ(load(), std::vector<ScheduleRow>{event("B.INI")});
    EXPECT_EQ(world.store->sections(), std::vector<std::string>{"Item1"});
}

TEST_F(ScheduleStore, AFailedDeleteIsRaisedWithTheHostsReason) {
    registry.SaveEntry(1, event("A.INI"));
    VectorScheduleList list;
    registry.Load(list);
    const auto file = world.settingsFolder / "Torvane Scheduler.ini";
    std::filesystem::remove(file);
    std::filesystem::create_directory(file);
    try {
        registry.DeleteEntry(1, list);
        FAIL() << "no error raised";
    } catch (const TorvaneError& error) {
        EXPECT_EQ(error.source(), "clsRegistry:DeleteEntry Method");
        EXPECT_NE(error.description().find("Is a directory"), std::string::npos)
            << error.description();
        EXPECT_EQ(error.number(), -2147211505);
    }
}

TEST_F(ScheduleStore, AnUnreadableStoreIsAnErrorAndIsNeverWrittenOver) {
    registry.SaveEntry(1, event("A.INI"));
    registry.SaveEntry(2, event("B.INI"));
    const std::string before = world.storeText();
    platform::FileReadFaultHook unreadable([](const std::filesystem::path&) { return true; },
                                           EACCES);
    VectorScheduleList list;
    EXPECT_THROW(registry.Load(list), std::system_error);
    EXPECT_EQ(list.count(), 0);
    EXPECT_THROW(registry.SaveEntry(1, event("C.INI")), std::system_error);
    EXPECT_THROW(registry.SaveNewEntry(1, event("C.INI")), std::system_error);
    EXPECT_THROW(registry.SaveValue(1, "Status", "Complete"), std::system_error);
    try {
        registry.DeleteEntry(1, VectorScheduleList({event("A.INI"), event("B.INI")}));
        ADD_FAILURE() << "the delete went ahead";
    } catch (const TorvaneError& error) {
        EXPECT_NE(error.description().find("Permission denied"), std::string::npos)
            << error.description();
    }
    EXPECT_EQ(world.storeText(), before);
}

// Every value read used to parse the whole store again, and a delete rewrote it once per value.
TEST_F(ScheduleStore, LoadReadsOnceAndEachChangeWritesOnce) {
    constexpr int kEvents = 60;
    for (int n = 1; n <= kEvents; ++n) registry.SaveEntry(n, event(std::to_string(n) + ".INI"));
    int reads = 0;
    int writes = 0;
    platform::FileReadFaultHook countReads(
        [&](const std::filesystem::path&) { return ++reads, false; }, 0);
    platform::AtomicWriteFaultHook countWrites([&](const std::filesystem::path&) { ++writes; });

    VectorScheduleList list;
    registry.Load(list);
    EXPECT_EQ(list.count(), kEvents);
    EXPECT_EQ(reads, 1);
    EXPECT_EQ(writes, 0);

    registry.DeleteEntry(1, list);
    EXPECT_EQ(writes, 1);
    registry.SaveValue(3, "Date", "02/02/2027");
    EXPECT_EQ(writes, 2);
    registry.SaveEntry(kEvents, event("LAST.INI"));
    EXPECT_EQ(writes, 3);

    const auto rows = load();
    ASSERT_EQ(rows.size(), static_cast<size_t>(kEvents));
    EXPECT_EQ(rows[0], event("2.INI"));
    EXPECT_EQ(rows[2], event("4.INI", "02/02/2027"));
    EXPECT_EQ(rows[kEvents - 2], event(std::to_string(kEvents) + ".INI"));
    EXPECT_EQ(rows[kEvents - 1], event("LAST.INI"));
}

TEST_F(ScheduleStore, HandWrittenDatesAndTimesLoadInTheFixedForm) {
    torvane::test::writeFile(world.settingsFolder / "Torvane Scheduler.ini",
                             "[Item1]\nBackupSet=A.INI\nSchedule=Daily\nDate=1/2/2027\n"
                             "Time=9:00\nStatus=Enabled\n");
    EXPECT_EQ(load(), std::vector<ScheduleRow>{event("A.INI", "01/02/2027")});
}

TEST_F(ScheduleStore, ANewEntryNeverReplacesAStoredEvent) {
    registry.SaveEntry(1, event("A.INI"));
    EXPECT_FALSE(registry.SaveNewEntry(1, event("B.INI")));
    EXPECT_EQ(load(), std::vector<ScheduleRow>{event("A.INI")});
    EXPECT_TRUE(registry.SaveNewEntry(2, event("B.INI")));
    EXPECT_EQ(load(), (std::vector<ScheduleRow>{event("A.INI"), event("B.INI")}));
}

TEST(ClassDebugID, EveryInstanceTakesTheNextSerial) {
    test::SchedulerWorld world;
    const clsRegistry first(*world.store);
    const clsFiles files(*world.host, world.programFolder);
    const clsRegistry second(*world.store);
    EXPECT_EQ(files.ClassDebugID(), first.ClassDebugID() + 1);
    EXPECT_EQ(second.ClassDebugID(), files.ClassDebugID() + 1);
}

}  // namespace
}  // namespace torvane::scheduler
