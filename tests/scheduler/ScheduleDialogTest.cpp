#include <gtest/gtest.h>

#include <QComboBox>
#include <QDateEdit>
#include <QPushButton>
#include <QTimeEdit>

#include "UiFixture.h"
#include "scheduler/Frm_Add.h"
#include "scheduler/Frm_Edit.h"
#include "scheduler/clsRegistry.h"
#include "scheduler/SchedulerTick.h"

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

    void choose(ScheduleDialog& dialog, const char* set, const char* schedule, QDate date, QTime time) {
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
    EXPECT_EQ(ctx.prompts.lastMessage().text, "Unable to Save these Settings as they already exist.");
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
    const std::string before = torvane::test::readFile(ctx.dir / "settings" / "Torvane Scheduler.ini");
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
    EXPECT_EQ(list.row(2), (ScheduleRow{"DAILY.INI", "One Time", "12/12/2026", "09:00", "Enabled"}));
    EXPECT_EQ(storeValue(2, "Status"), "Enabled");
    EXPECT_EQ(storeValue(1, "BackupSet"), "WEEKLY.INI");

    clsRegistry registry(store);
    ctx.clock.set({2026, 12, 12, 9, 0, 5});
    TickServices tick{list, registry, ctx.clock, starter, *ctx.host, ctx.globals.sUtilityFolder,
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
    EXPECT_EQ(ctx.prompts.lastMessage().text, "Unable to Save these settings as no Backup Set has been selected.");
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(storeValue(1, "BackupSet"), "GONE.INI");
}

}  // namespace
}  // namespace torvane::scheduler
