#include <gtest/gtest.h>

#include "SchedulerFixture.h"
#include "scheduler/clsFiles.h"
#include "common/TorvaneError.h"
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
    EXPECT_EQ(load(), (std::vector<ScheduleRow>{event("DAILY.INI"),
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

    EXPECT_EQ(load(), (std::vector<ScheduleRow>{event("SET1.INI"), event("SET3.INI"), event("SET4.INI")}));
    const auto sections = world.store->sections();
    EXPECT_EQ(sections, (std::vector<std::string>{"Item1", "Item2", "Item3"}));
}

TEST_F(ScheduleStore, RenumberingRewritesDatesAndTimesInTheShortFormats) {
    registry.SaveEntry(1, event("A.INI"));
    registry.SaveEntry(2, {"B.INI", "Daily", "1/2/2027", "9:05", "Enabled"});
    VectorScheduleList list;
    registry.Load(list);
    registry.DeleteEntry(1, list);
    EXPECT_EQ(load(), (std::vector<ScheduleRow>{{"B.INI", "Daily", "01/02/2027", "09:05", "Enabled"}}));
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

TEST_F(ScheduleStore, AFailedWriteIsRaisedAsTheDeleteError) {
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
        EXPECT_EQ(error.description(), "An unknown error has occurred!");
        EXPECT_EQ(error.number(), -2147211505);
    }
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
