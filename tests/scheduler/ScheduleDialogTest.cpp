#include <gtest/gtest.h>

#include <cerrno>
#include <system_error>

#include <QComboBox>
#include <QDateEdit>
#include <QPushButton>
#include <QTimeEdit>

#include "UiFixture.h"
#include "scheduler/Frm_Add.h"
#include "scheduler/Frm_Edit.h"
#include "scheduler/SchedulerTick.h"
#include "scheduler/clsRegistry.h"
#include "platform/AtomicFile.h"

namespace torvane::scheduler {
namespace {

QStringList items(const QComboBox& combo) {
    QStringList list;
    for (int i = 0; i < combo.count(); ++i) list << combo.itemText(i);
    return list;
}

class Dialogs : public ::testing::Test, public test::SchedulerUi {
  protected:
    VectorScheduleList list;

    Dialogs() { ctx.clock.set({2026, 12, 11, 8, 0, 0}); }

    void preload(const ScheduleRow& row) {
        list.addRow(row);
        clsRegistry(store).SaveEntry(list.count(), row);
    }

    std::string storeText() const {
        return torvane::test::readFile(ctx.dir / "settings" / "Torvane Scheduler.ini");
    }

    void tickNow() {
        clsRegistry registry(store);
        TickServices tick{list,         registry, ctx.clock, starter, *ctx.host,
                          ctx.globals.sUtilityFolder, [](const std::string&) {}};
        SchedulerTick(tick);
    }

    void choose(ScheduleDialog& dialog, const char* set, const char* schedule, QDate date,
                QTime time) {
        dialog.Cmb_BackupSet->setCurrentText(set);
        dialog.Cmb_Schedule->setCurrentText(schedule);
        dialog.DT_Date->setDate(date);
        dialog.DT_Time->setTime(time);
    }
};

TEST_F(Dialogs, LoadOffersTheUtilitysSetsAndTheSixFrequencies) {
    addSetFile("DAILY.INI");
    addSetFile("weekly.ini");
    torvane::test::writeFile(ctx.programHost / "NOTES.TXT", "");
    Frm_Add dialog(*services, list, nullptr);

    EXPECT_EQ(dialog.windowTitle(), "Torvane Scheduler - Add");
    QStringList sets = items(*dialog.Cmb_BackupSet);
    sets.sort();
    EXPECT_EQ(sets, (QStringList{"DAILY.INI", "weekly.ini"}));
    EXPECT_EQ(dialog.Cmb_BackupSet->currentIndex(), 0);
    EXPECT_EQ(items(*dialog.Cmb_Schedule),
              (QStringList{"One Time", "Daily", "Weekdays", "Weekly", "Bi-Weekly", "Monthly"}));
    EXPECT_EQ(dialog.Cmb_Schedule->currentText(), "One Time");
    EXPECT_EQ(dialog.DT_Date->date(), QDate(2026, 12, 11));
    EXPECT_EQ(dialog.DT_Date->displayFormat(), "dd/MM/yy");
    EXPECT_EQ(dialog.DT_Time->time(), QTime(0, 1));
    EXPECT_EQ(dialog.DT_Time->displayFormat(), "HH:mm");
    EXPECT_TRUE(dialog.Cmd_Ok->isDefault());
    EXPECT_EQ(dialog.Cmd_Cancel->text(), "&Cancel");
    EXPECT_EQ(Frm_Edit(*services, list, 1, nullptr).windowTitle(), "Torvane Scheduler - Edit");
}

TEST_F(Dialogs, AddRefusesWhenNoBackupSetIsChosen) {
    ctx.prompts.answerMessage(MsgAnswer::Ok);
    Frm_Add dialog(*services, list, nullptr);
    dialog.Cmd_Ok->click();

    const MessageRequest& message = ctx.prompts.lastMessage();
    EXPECT_EQ(message.text, "Unable to Save these settings as no Backup Set has been selected.");
    EXPECT_EQ(message.icon, MsgIcon::Information);
    EXPECT_EQ(message.title, "Torvane Scheduler");
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(list.count(), 0);
    EXPECT_TRUE(store.sections().empty());
}

TEST_F(Dialogs, AddWritesTheFirstEventToItemOne) {
    addSetFile("DAILY.INI");
    Frm_Add dialog(*services, list, nullptr);
    choose(dialog, "DAILY.INI", "Weekly", QDate(2026, 12, 14), QTime(21, 30));
    dialog.Cmd_Ok->click();

    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    const ScheduleRow expected{"DAILY.INI", "Weekly", "14/12/2026", "21:30", "Enabled"};
    EXPECT_EQ(list.rows(), std::vector<ScheduleRow>{expected});
    VectorScheduleList stored;
    clsRegistry(store).Load(stored);
    EXPECT_EQ(stored.rows(), std::vector<ScheduleRow>{expected});
}

TEST_F(Dialogs, AddRefusesADuplicateEvenOfACompletedEventButNotAnotherTime) {
    addSetFile("DAILY.INI");
    preload({"DAILY.INI", "One Time", "14/12/2026", "21:30", "Complete"});
    ctx.prompts.answerMessage(MsgAnswer::Ok);
    Frm_Add dialog(*services, list, nullptr);
    choose(dialog, "DAILY.INI", "One Time", QDate(2026, 12, 14), QTime(21, 30));
    dialog.Cmd_Ok->click();
    EXPECT_EQ(ctx.prompts.lastMessage().text,
              "Unable to Save these Settings as they already exist.");
    EXPECT_EQ(ctx.prompts.lastMessage().icon, MsgIcon::Information);
    EXPECT_EQ(list.count(), 1);

    dialog.DT_Time->setTime(QTime(21, 31));
    dialog.Cmd_Ok->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(list.count(), 2);
    EXPECT_EQ(storeValue(2, "Time"), "21:31");
    EXPECT_EQ(storeValue(2, "Status"), "Enabled");
}

TEST_F(Dialogs, EditOkWithoutAChangeDoesNothing) {
    addSetFile("DAILY.INI");
    preload({"DAILY.INI", "Daily", "14/12/2026", "21:30", "Enabled"});
    const std::string before =
        torvane::test::readFile(ctx.dir / "settings" / "Torvane Scheduler.ini");
    Frm_Edit dialog(*services, list, 1, nullptr);
    dialog.showRow(list.row(1));
    dialog.Cmd_Ok->click();
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(ctx.prompts.recorded().empty());
    EXPECT_EQ(torvane::test::readFile(ctx.dir / "settings" / "Torvane Scheduler.ini"), before);
}

TEST_F(Dialogs, EditReEnablesACompletedOneTimeEventWhichThenRunsAgain) {
    addSetFile("DAILY.INI");
    addSetFile("WEEKLY.INI");
    preload({"WEEKLY.INI", "Weekly", "14/12/2026", "21:30", "Enabled"});
    preload({"DAILY.INI", "One Time", "10/12/2026", "09:00", "Completed"});
    Frm_Edit dialog(*services, list, 2, nullptr);
    dialog.showRow(list.row(2));
    EXPECT_EQ(dialog.Cmb_BackupSet->currentText(), "DAILY.INI");
    EXPECT_EQ(dialog.Cmb_Schedule->currentText(), "One Time");
    EXPECT_EQ(dialog.DT_Date->date(), QDate(2026, 12, 10));
    EXPECT_EQ(dialog.DT_Time->time(), QTime(9, 0));

    dialog.DT_Date->setDate(QDate(2026, 12, 12));
    dialog.Cmd_Ok->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(list.row(2),
              (ScheduleRow{"DAILY.INI", "One Time", "12/12/2026", "09:00", "Enabled"}));
    EXPECT_EQ(storeValue(2, "Status"), "Enabled");
    EXPECT_EQ(storeValue(1, "BackupSet"), "WEEKLY.INI");

    clsRegistry registry(store);
    ctx.clock.set({2026, 12, 12, 9, 0, 5});
    TickServices tick{list,
                      registry,
                      ctx.clock,
                      starter,
                      *ctx.host,
                      ctx.globals.sUtilityFolder,
                      [](const std::string&) {}};
    SchedulerTick(tick);
    ASSERT_EQ(starter.started.size(), 1u);
    EXPECT_EQ(starter.started[0].argument, "DAILY.INI");
    EXPECT_EQ(storeValue(2, "Status"), "Complete");
}

TEST_F(Dialogs, EditRefusesAnEmptyBackupSetLikeAdd) {
    preload({"GONE.INI", "Daily", "14/12/2026", "21:30", "Enabled"});
    preload({"LATER.INI", "Daily", "14/12/2026", "21:30", "Enabled"});
    ctx.prompts.answerMessage(MsgAnswer::Ok);
    Frm_Edit dialog(*services, list, 1, nullptr);
    dialog.Cmb_BackupSet->setCurrentIndex(-1);
    dialog.Cmd_Ok->click();
    EXPECT_EQ(ctx.prompts.lastMessage().text,
              "Unable to Save these settings as no Backup Set has been selected.");
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(storeValue(1, "BackupSet"), "GONE.INI");
}

// The dialog proposes today at 00:01; saved as it was, the event would run at once as missed.
TEST_F(Dialogs, AddRefusesAPastOneTimeEventAndMovesARepeatingOneAhead) {
    addSetFile("DAILY.INI");
    ctx.prompts.answerMessage(MsgAnswer::Ok);
    Frm_Add dialog(*services, list, nullptr);
    dialog.Cmd_Ok->click();
    EXPECT_EQ(ctx.prompts.lastMessage().text,
              "Unable to Save this One Time event as its date and time have already passed.");
    EXPECT_EQ(ctx.prompts.lastMessage().title, "Torvane Scheduler");
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(list.count(), 0);
    EXPECT_TRUE(store.sections().empty());

    dialog.Cmb_Schedule->setCurrentText("Daily");
    dialog.Cmd_Ok->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(list.row(1), (ScheduleRow{"DAILY.INI", "Daily", "12/12/2026", "00:01", "Enabled"}));
    EXPECT_EQ(storeValue(1, "Date"), "12/12/2026");

    Frm_Add weekly(*services, list, nullptr);
    choose(weekly, "DAILY.INI", "Weekly", QDate(2026, 11, 26), QTime(7, 59));
    weekly.Cmd_Ok->click();
    EXPECT_EQ(list.row(2).date, "17/12/2026");

    Frm_Add thisMinute(*services, list, nullptr);
    choose(thisMinute, "DAILY.INI", "One Time", QDate(2026, 12, 11), QTime(8, 0));
    thisMinute.Cmd_Ok->click();
    EXPECT_EQ(thisMinute.result(), QDialog::Accepted);
    EXPECT_EQ(list.row(3).date, "11/12/2026");
}

TEST_F(Dialogs, EditRefusesToReArmAOneTimeEventInThePast) {
    addSetFile("DAILY.INI");
    preload({"DAILY.INI", "One Time", "10/12/2026", "09:00", "Completed"});
    const std::string before = storeText();
    ctx.prompts.answerMessage(MsgAnswer::Ok);
    Frm_Edit dialog(*services, list, 1, nullptr);
    dialog.showRow(list.row(1));
    dialog.DT_Time->setTime(QTime(10, 0));
    dialog.Cmd_Ok->click();
    EXPECT_EQ(ctx.prompts.lastMessage().text,
              "Unable to Save this One Time event as its date and time have already passed.");
    EXPECT_EQ(list.row(1).status, "Completed");
    EXPECT_EQ(storeText(), before);
}

// A failed save used to escape the Ok handler and end the program, after the row was listed.
TEST_F(Dialogs, AFailedSaveShowsTheReasonAndLeavesListAndStoreAsTheyWere) {
    addSetFile("DAILY.INI");
    preload({"DAILY.INI", "Daily", "14/12/2026", "21:30", "Enabled"});
    const std::string before = storeText();
    platform::AtomicWriteFaultHook diskFull([](const std::filesystem::path& file) {
        throw std::system_error(ENOSPC, std::generic_category(), "Unable to write " + file.string());
    });
    ctx.prompts.answerMessage(MsgAnswer::Ok);
    ctx.prompts.answerMessage(MsgAnswer::Ok);

    Frm_Add add(*services, list, nullptr);
    choose(add, "DAILY.INI", "Weekly", QDate(2026, 12, 14), QTime(21, 30));
    add.Cmd_Ok->click();
    Frm_Edit edit(*services, list, 1, nullptr);
    edit.showRow(list.row(1));
    edit.DT_Time->setTime(QTime(22, 0));
    edit.Cmd_Ok->click();

    ASSERT_EQ(ctx.prompts.recorded().size(), 2u);
    for (const auto& shown : ctx.prompts.recorded()) {
        EXPECT_EQ(shown.message.icon, MsgIcon::Critical);
        EXPECT_EQ(shown.message.title, "Error");
        EXPECT_NE(shown.message.text.find("No space left on device"), std::string::npos)
            << shown.message.text;
    }
    EXPECT_NE(add.result(), QDialog::Accepted);
    EXPECT_NE(edit.result(), QDialog::Accepted);
    EXPECT_EQ(list.rows(), (std::vector<ScheduleRow>{
                               {"DAILY.INI", "Daily", "14/12/2026", "21:30", "Enabled"}}));
    EXPECT_EQ(storeText(), before);
}

// The timer moves the row on while the dialog is open; Ok must not put the old date back, or
// the backup would run a second time.
TEST_F(Dialogs, EditLeftOpenAcrossTheDueMinuteKeepsTheDateTheTimerSet) {
    addSetFile("DAILY.INI");
    preload({"DAILY.INI", "Daily", "11/12/2026", "09:00", "Enabled"});
    Frm_Edit unchanged(*services, list, 1, nullptr);
    unchanged.showRow(list.row(1));
    Frm_Edit retimed(*services, list, 1, nullptr);
    retimed.showRow(list.row(1));

    ctx.clock.set({2026, 12, 11, 9, 0, 5});
    tickNow();
    ASSERT_EQ(starter.started.size(), 1u);
    const std::string advanced = storeText();

    unchanged.Cmd_Ok->click();
    EXPECT_EQ(storeText(), advanced);
    retimed.DT_Time->setTime(QTime(9, 30));
    retimed.Cmd_Ok->click();
    EXPECT_EQ(retimed.result(), QDialog::Accepted);
    EXPECT_EQ(list.row(1), (ScheduleRow{"DAILY.INI", "Daily", "12/12/2026", "09:30", "Enabled"}));
    EXPECT_EQ(storeValue(1, "Date"), "12/12/2026");

    ctx.clock.set({2026, 12, 11, 9, 0, 10});
    tickNow();
    ctx.clock.set({2026, 12, 11, 9, 30, 0});
    tickNow();
    EXPECT_EQ(starter.started.size(), 1u);
}

}  // namespace
}  // namespace torvane::scheduler
