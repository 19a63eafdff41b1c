#include <gtest/gtest.h>

#include "SchedulerFixture.h"
#include "scheduler/ScheduleDate.h"
#include "scheduler/SchedulerTick.h"

namespace torvane::scheduler {
namespace {

class Tick : public ::testing::Test {
  protected:
    test::SchedulerWorld world;
    torvane::test::FakeClock clock;
    test::RecordingStarter starter;
    clsRegistry registry{*world.store};
    VectorScheduleList list;
    std::vector<std::string> log;
    std::filesystem::path utility = world.driveRoot / "Programs" / "Torvane";

    void setClock(int year, int month, int day, int hour, int minute, int second = 0) {
        clock.set({year, month, day, hour, minute, second});
    }

    void addEvent(const ScheduleRow& row) {
        list.addRow(row);
        registry.SaveEntry(list.count(), row);
    }

    void tick() {
        TickServices services{list,
                              registry,
                              clock,
                              starter,
                              *world.host,
                              "C:\\Programs\\",
                              [this](const std::string& text) { log.push_back(text); }};
        SchedulerTick(services);
    }

    std::string storedDate(int item) const { return world.store->get(itemSection(item), "Date"); }
    std::string storedStatus(int item) const {
        return world.store->get(itemSection(item), "Status");
    }
};

TEST_F(Tick, EachFrequencyMovesToItsNextDate) {
    struct Case {
        const char* schedule;
        const char* due;  // also the tick's date
        const char* next;
    };
    const Case cases[] = {
        {"Daily", "11/12/2026", "12/12/2026"},     // Friday -> Saturday
        {"Weekdays", "11/12/2026", "14/12/2026"},  // Friday -> Monday
        {"Weekdays", "09/12/2026", "10/12/2026"},  // Wednesday -> Thursday
        {"Weekly", "28/12/2026", "04/01/2027"},
        {"Bi-Weekly", "24/02/2028", "09/03/2028"},  // over a leap day
        {"Monthly", "31/01/2027", "28/02/2027"},
        {"Monthly", "28/02/2027", "28/03/2027"},
        {"Monthly", "31/01/2028", "29/02/2028"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.schedule) + " " + c.due);
        list = VectorScheduleList{};
        addEvent({"SET.INI", c.schedule, c.due, "09:00", "Enabled"});
        const auto day = *parseShortDate(c.due);
        setClock(day.year, day.month, day.day, 9, 0, 3);
        tick();
        EXPECT_EQ(list.row(1).date, c.next);
        EXPECT_EQ(storedDate(1), c.next);
        EXPECT_EQ(list.row(1).status, "Enabled");
    }
    EXPECT_EQ(starter.started.size(), std::size(cases));
}

TEST_F(Tick, AOneTimeEventRunsOnceAndIsCompleted) {
    addEvent({"ONCE.INI", "One Time", "11/12/2026", "09:00", "Enabled"});
    setClock(2026, 12, 11, 9, 0);
    tick();
    setClock(2026, 12, 12, 9, 0);
    tick();
    EXPECT_EQ(list.row(1),
              (ScheduleRow{"ONCE.INI", "One Time", "11/12/2026", "09:00", "Completed"}));
    EXPECT_EQ(storedStatus(1), "Complete");
    EXPECT_EQ(storedDate(1), "11/12/2026");
    EXPECT_EQ(starter.started.size(), 1u);
    EXPECT_EQ(log, std::vector<std::string>{"Backup ONCE.INI Started"});
}

TEST_F(Tick, TwelveTicksInTheDueMinuteStartTheEventOnce) {
    addEvent({"DAILY.INI", "Daily", "11/12/2026", "09:00", "Enabled"});
    for (int second = 0; second < 60; second += 5) {
        setClock(2026, 12, 11, 9, 0, second);
        tick();
    }
    ASSERT_EQ(starter.started.size(), 1u);
    EXPECT_EQ(starter.started[0].program, utility);
    EXPECT_EQ(starter.started[0].argument, "DAILY.INI");
    EXPECT_EQ(log, std::vector<std::string>{"Backup DAILY.INI Started"});
    EXPECT_EQ(list.row(1).date, "12/12/2026");
}

TEST_F(Tick, TheSetNameIsPassedBareAsTheOneArgument) {
    addEvent({"MY SET.INI", "Daily", "11/12/2026", "09:00", "Enabled"});
    setClock(2026, 12, 11, 9, 0);
    tick();
    ASSERT_EQ(starter.started.size(), 1u);
    EXPECT_EQ(starter.started[0].argument, "MY SET.INI");
    EXPECT_EQ(utilityCommand("C:\\Programs\\", "MY SET.INI").program, "C:\\Programs\\Torvane");
}

TEST_F(Tick, OnlyTheRightMinuteOfTheRightDayStarts) {
    addEvent({"DAILY.INI", "Daily", "12/12/2026", "09:00", "Enabled"});
    setClock(2026, 12, 11, 9, 0);
    tick();
    setClock(2026, 12, 12, 8, 59, 55);
    tick();
    EXPECT_TRUE(starter.started.empty());
    EXPECT_EQ(list.row(1).date, "12/12/2026");
    setClock(2026, 12, 12, 9, 0);
    tick();
    EXPECT_EQ(starter.started.size(), 1u);
}

TEST_F(Tick, EventsThatAreNotEnabledAreLeftAlone) {
    addEvent({"DONE.INI", "One Time", "11/12/2026", "09:00", "Complete"});
    addEvent({"SHOWN.INI", "Daily", "11/12/2026", "09:00", "Completed"});
    addEvent({"OFF.INI", "Daily", "01/12/2026", "08:00", "Disabled"});
    addEvent({"ODD.INI", "Hourly", "11/12/2026", "09:00", "Enabled"});
    const auto before = list.rows();
    const auto storeBefore = world.storeText();
    setClock(2026, 12, 11, 9, 0);
    tick();
    EXPECT_TRUE(starter.started.empty());
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(list.rows(), before);
    EXPECT_EQ(world.storeText(), storeBefore);
}

TEST_F(Tick, AMissedEventStartsOnceLateAndKeepsItsRhythm) {
    addEvent({"DAILY.INI", "Daily", "07/12/2026", "09:00", "Enabled"});
    addEvent({"WEEKLY.INI", "Weekly", "16/11/2026", "18:30", "Enabled"});  // a Monday
    addEvent({"WORK.INI", "Weekdays", "10/12/2026", "07:15", "Enabled"});  // Thursday
    addEvent({"MONTH.INI", "Monthly", "31/10/2026", "09:00", "Enabled"});
    addEvent({"ONCE.INI", "One Time", "01/12/2026", "12:00", "Enabled"});
    addEvent({"LATER.INI", "Daily", "10/12/2026", "23:00", "Enabled"});
    addEvent(
        {"EDGE.INI", "Daily", "09/12/2026", "10:00", "Enabled"});  // this very minute, days ago
    setClock(2026, 12, 11, 10, 0, 20);                             // Friday
    tick();

    EXPECT_EQ(list.row(1).date, "12/12/2026");
    EXPECT_EQ(list.row(2).date, "14/12/2026");
    EXPECT_EQ(list.row(3).date, "14/12/2026");
    EXPECT_EQ(list.row(4).date, "30/12/2026");  // 31/10 -> 30/11 -> 30/12
    EXPECT_EQ(list.row(5).status, "Completed");
    EXPECT_EQ(list.row(6).date, "11/12/2026");  // later the same day
    EXPECT_EQ(list.row(7).date, "12/12/2026");
    for (int item = 1; item <= 4; ++item) EXPECT_EQ(storedDate(item), list.row(item).date);
    EXPECT_EQ(storedStatus(5), "Complete");
    EXPECT_EQ(
        log,
        (std::vector<std::string>{
            "Backup DAILY.INI Missed - Started Late", "Backup WEEKLY.INI Missed - Started Late",
            "Backup WORK.INI Missed - Started Late", "Backup MONTH.INI Missed - Started Late",
            "Backup ONCE.INI Missed - Started Late", "Backup LATER.INI Missed - Started Late",
            "Backup EDGE.INI Missed - Started Late"}));

    setClock(2026, 12, 11, 10, 0, 25);
    tick();
    EXPECT_EQ(starter.started.size(), 7u);
}

TEST_F(Tick, AnEventDueNowIsNeitherMissedNorStartedTwice) {
    addEvent({"DAILY.INI", "Daily", "11/12/2026", "10:00", "Enabled"});
    addEvent({"SOON.INI", "Daily", "11/12/2026", "10:01", "Enabled"});
    setClock(2026, 12, 11, 10, 0);
    tick();
    EXPECT_EQ(log, std::vector<std::string>{"Backup DAILY.INI Started"});
    EXPECT_EQ(list.row(2).date, "11/12/2026");
}

// A row whose cells were never loaded through the store (hand-made lists, older rows) is still
// compared as a moment: "9:00" is due at 09:00, not missed a minute later.
TEST_F(Tick, HandWrittenTimesAndDatesAreDueAtTheirMinute) {
    addEvent({"DAILY.INI", "Daily", "1/2/2027", "9:00", "Enabled"});
    addEvent({"ONCE.INI", "One Time", "01/2/2027", "9:0", "Enabled"});
    setClock(2027, 2, 1, 9, 0, 30);
    tick();
    EXPECT_EQ(log,
              (std::vector<std::string>{"Backup DAILY.INI Started", "Backup ONCE.INI Started"}));
    EXPECT_EQ(storedDate(1), "02/02/2027");
}

TEST_F(Tick, StoreAndListAreAdvancedBeforeTheStart) {
    addEvent({"DAILY.INI", "Daily", "11/12/2026", "09:00", "Enabled"});
    addEvent({"ONCE.INI", "One Time", "11/12/2026", "09:00", "Enabled"});
    std::vector<std::string> seen;
    starter.onStart = [&] {
        seen.push_back(list.row(1).date + " " + storedDate(1) + " " + list.row(2).status + " " +
                       storedStatus(2));
    };
    setClock(2026, 12, 11, 9, 0);
    tick();
    EXPECT_EQ(seen, (std::vector<std::string>{"12/12/2026 12/12/2026 Enabled Enabled",
                                              "12/12/2026 12/12/2026 Completed Complete"}));
}

TEST_F(Tick, AFailedStartIsLoggedAndNotRetried) {
    addEvent({"DAILY.INI", "Daily", "11/12/2026", "09:00", "Enabled"});
    addEvent({"NEXT.INI", "Weekly", "11/12/2026", "09:00", "Enabled"});
    starter.fail = true;
    int attempts = 0;
    starter.onStart = [&] { ++attempts; };
    setClock(2026, 12, 11, 9, 0);
    tick();
    setClock(2026, 12, 11, 9, 0, 5);
    tick();
    EXPECT_EQ(attempts, 2);
    EXPECT_EQ(log, (std::vector<std::string>{"Backup DAILY.INI Unable to be Started",
                                             "Backup NEXT.INI Unable to be Started"}));
    EXPECT_EQ(storedDate(1), "12/12/2026");
    EXPECT_EQ(storedDate(2), "18/12/2026");
}

TEST_F(Tick, AnUnknownUtilityFolderIsAFailedStart) {
    addEvent({"DAILY.INI", "Daily", "11/12/2026", "09:00", "Enabled"});
    setClock(2026, 12, 11, 9, 0);
    TickServices services{
        list, registry, clock, starter, *world.host, "", [this](const std::string& text) {
            log.push_back(text);
        }};
    SchedulerTick(services);
    EXPECT_TRUE(starter.started.empty());
    EXPECT_EQ(log, std::vector<std::string>{"Backup DAILY.INI Unable to be Started"});
    EXPECT_EQ(list.row(1).date, "12/12/2026");
}

// A clock that has moved on to the next day by its second reading.
class MidnightClock : public platform::Clock {
  public:
    mutable int readings = 0;
    platform::LocalDateTime now() const override {
        return readings++ == 0 ? platform::LocalDateTime{2026, 12, 11, 23, 59, 59}
                               : platform::LocalDateTime{2026, 12, 12, 0, 0, 0};
    }
};

TEST_F(Tick, AnEventAtOneMinuteToMidnightIsStartedOnTime) {
    addEvent({"NIGHT.INI", "Daily", "11/12/2026", "23:59", "Enabled"});
    addEvent({"OTHER.INI", "Weekly", "11/12/2026", "23:59", "Enabled"});
    MidnightClock midnight;
    TickServices services{list,
                          registry,
                          midnight,
                          starter,
                          *world.host,
                          "C:\\Programs\\",
                          [this](const std::string& text) { log.push_back(text); }};
    SchedulerTick(services);
    EXPECT_EQ(midnight.readings, 1);
    EXPECT_EQ(log,
              (std::vector<std::string>{"Backup NIGHT.INI Started", "Backup OTHER.INI Started"}));
    EXPECT_EQ(list.row(1).date, "12/12/2026");
    EXPECT_EQ(list.row(2).date, "18/12/2026");
}

TEST_F(Tick, AnEmptyListDoesNothing) {
    setClock(2026, 12, 11, 9, 0);
    tick();
    EXPECT_TRUE(starter.started.empty());
    EXPECT_TRUE(log.empty());
    EXPECT_FALSE(std::filesystem::exists(world.settingsFolder / "Torvane Scheduler.ini"));
}

}  // namespace
}  // namespace torvane::scheduler
