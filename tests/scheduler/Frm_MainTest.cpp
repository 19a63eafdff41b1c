#include <gtest/gtest.h>

#include <cerrno>

#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QTreeWidget>

#include "UiFixture.h"
#include "Version.h"
#include "platform/AtomicFile.h"
#include "scheduler/Frm_About.h"
#include "scheduler/Frm_Add.h"
#include "scheduler/Frm_Edit.h"
#include "scheduler/Frm_Main.h"
#include "scheduler/clsRegistry.h"

namespace torvane::scheduler {
namespace {

QStringList actionTexts(const QMenu& menu) {
    QStringList texts;
    for (const QAction* action : menu.actions())
        texts << (action->isSeparator() ? "-" : action->text());
    return texts;
}

class MainWindow : public ::testing::Test, public test::SchedulerUi {
  protected:
    std::unique_ptr<Frm_Main> window;

    explicit MainWindow(bool trayAvailable = false) : test::SchedulerUi(trayAvailable) {}

    void load(const std::vector<std::string>& sets) {
        clsRegistry registry(store);
        int n = 0;
        for (const std::string& set : sets)
            registry.SaveEntry(++n, {set, "Daily", "14/12/2026", "09:00", "Enabled"});
        window = std::make_unique<Frm_Main>(*services);
        window->Form_Load();
    }

    QStringList rowSets() const {
        QStringList sets;
        for (int i = 0; i < window->Lst_Backups->topLevelItemCount(); ++i)
            sets << window->Lst_Backups->topLevelItem(i)->text(0);
        return sets;
    }

    void select(int index) {
        QTreeWidgetItem* item = window->Lst_Backups->topLevelItem(index - 1);
        window->Lst_Backups->setCurrentItem(item);
        item->setSelected(true);
    }

    int selectedIndex() const {
        const auto selected = window->Lst_Backups->selectedItems();
        return selected.size() == 1 ? window->Lst_Backups->indexOfTopLevelItem(selected[0]) + 1 : 0;
    }
};

TEST_F(MainWindow, LoadShowsTheScheduleAndGoesAwayWithoutANotificationArea) {
    load({"A.INI", "B.INI"});
    EXPECT_EQ(window->windowTitle(), "Torvane Scheduler");
    const QTreeWidgetItem* header = window->Lst_Backups->headerItem();
    QStringList columns;
    for (int c = 0; c < header->columnCount(); ++c) columns << header->text(c);
    EXPECT_EQ(columns, (QStringList{"Backup Set", "Frequency", "Date", "Time", "Status"}));
    EXPECT_EQ(rowSets(), (QStringList{"A.INI", "B.INI"}));
    EXPECT_EQ(window->Lst_Backups->topLevelItem(1)->text(4), "Enabled");
    EXPECT_EQ(window->Lst_Backups->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_EQ(window->Tim_Scheduler->interval(), 5000);
    EXPECT_TRUE(window->Tim_Scheduler->isActive());
    EXPECT_TRUE(window->isMinimized());
    EXPECT_EQ(window->trayIcon(), nullptr);
    EXPECT_NE(logText().find("No Notification Area Available"), std::string::npos);

    EXPECT_EQ(actionTexts(*window->Menu_File),
              (QStringList{"&Add", "E&dit", "&Delete", "-", "E&xit"}));
    EXPECT_EQ(actionTexts(*window->Menu_Help), QStringList{"&About"});
    EXPECT_EQ(actionTexts(*window->Menu_SystemTray), QStringList{"&Open"});
    QStringList bar;
    for (const QAction* action : window->menuBar()->actions()) bar << action->text();
    EXPECT_EQ(bar, (QStringList{"&File", "&Help"}));
}

// Read as empty, the store used to be replaced by the next Add with a file of one event.
TEST_F(MainWindow, AnUnreadableStoreIsReportedAndNeverWrittenOver) {
    addSetFile("A.INI");
    clsRegistry registry(store);
    registry.SaveEntry(1, {"A.INI", "Daily", "14/12/2026", "09:00", "Enabled"});
    registry.SaveEntry(2, {"B.INI", "Weekly", "15/12/2026", "10:00", "Enabled"});
    const auto file = ctx.dir / "settings" / "Torvane Scheduler.ini";
    const std::string before = torvane::test::readFile(file);
    platform::FileReadFaultHook unreadable(
        [&](const std::filesystem::path& read) { return read == file; }, EACCES);
    ctx.prompts.answerMessage(MsgAnswer::Ok);
    ctx.prompts.answerMessage(MsgAnswer::Ok);

    window = std::make_unique<Frm_Main>(*services);
    window->Form_Load();
    ASSERT_EQ(ctx.prompts.recorded().size(), 1u);
    EXPECT_EQ(ctx.prompts.lastMessage().icon, MsgIcon::Critical);
    EXPECT_EQ(ctx.prompts.lastMessage().title, "Error");
    EXPECT_NE(ctx.prompts.lastMessage().text.find("Permission denied"), std::string::npos);
    EXPECT_TRUE(rowSets().isEmpty());

    Frm_Add add(*services, window->list(), window.get());
    add.Cmb_Schedule->setCurrentText("Daily");
    add.Cmd_Ok->click();
    EXPECT_EQ(ctx.prompts.recorded().size(), 2u);
    EXPECT_NE(ctx.prompts.lastMessage().text.find("Permission denied"), std::string::npos);
    EXPECT_TRUE(rowSets().isEmpty());
    EXPECT_EQ(torvane::test::readFile(file), before);
}

TEST_F(MainWindow, TheTimerStartsDueEventsAndLogsThem) {
    addSetFile("A.INI");
    load({"A.INI", "B.INI"});
    ctx.clock.set({2026, 12, 14, 9, 0, 10});
    window->Tim_Scheduler_Timer();
    ASSERT_EQ(starter.started.size(), 2u);
    EXPECT_EQ(starter.started[0].program, ctx.programHost / "Torvane");
    EXPECT_EQ(window->Lst_Backups->topLevelItem(0)->text(2), "15/12/2026");
    EXPECT_EQ(storeValue(2, "Date"), "15/12/2026");
    EXPECT_NE(logText().find("14/12/2026 09:00:10 Backup A.INI Started\r\n"), std::string::npos);
}

TEST_F(MainWindow, DeleteAsksThenRenumbersAndSelectsTheNeighbour) {
    load({"A.INI", "B.INI", "C.INI"});
    select(1);
    ctx.prompts.answerMessage(MsgAnswer::No);
    window->Menu_File_Delete();
    const MessageRequest& question = ctx.prompts.lastMessage();
    EXPECT_EQ(question.text, "Are you sure that you wish to delete this Scheduled Event?");
    EXPECT_EQ(question.buttons, MsgButtons::YesNo);
    EXPECT_EQ(question.defaultButton, MsgAnswer::No);
    EXPECT_EQ(rowSets().size(), 3);

    ctx.prompts.answerMessage(MsgAnswer::Yes);
    window->Menu_File_Delete();
    EXPECT_EQ(rowSets(), (QStringList{"B.INI", "C.INI"}));
    EXPECT_EQ(selectedIndex(), 1);
    EXPECT_EQ(storeValue(1, "BackupSet"), "B.INI");
    EXPECT_EQ(storeValue(3, "BackupSet"), "<missing>");

    select(2);
    ctx.prompts.answerMessage(MsgAnswer::Yes);
    QKeyEvent deleteKey(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
    QApplication::sendEvent(window->Lst_Backups, &deleteKey);
    EXPECT_EQ(rowSets(), QStringList{"B.INI"});
    EXPECT_EQ(selectedIndex(), 1);

    ctx.prompts.answerMessage(MsgAnswer::Yes);
    window->Menu_File_Delete();
    EXPECT_TRUE(rowSets().isEmpty());
    EXPECT_EQ(storeValue(1, "BackupSet"), "");
    EXPECT_TRUE(ctx.prompts.scriptUsedUp());
}

TEST_F(MainWindow, EditAndDeleteNeedASelectedRow) {
    load({"A.INI"});
    window->Lst_Backups->clearSelection();
    window->Menu_File_Delete();
    window->Menu_File_Edit();
    EXPECT_TRUE(ctx.prompts.recorded().empty());
}

TEST_F(MainWindow, EditOfARowWhoseSetFileIsGoneOpensNoDialog) {
    load({"GONE.INI"});
    select(1);
    ctx.prompts.answerMessage(MsgAnswer::Ok);
    bool dialogShown = false;
    QTimer guard;
    QObject::connect(&guard, &QTimer::timeout, [&] {
        if (QWidget* modal = QApplication::activeModalWidget();
            modal && qobject_cast<Frm_Edit*>(modal)) {
            dialogShown = true;
            modal->close();
        }
    });
    guard.start(0);
    window->Menu_File_Edit();
    guard.stop();
    const MessageRequest& message = ctx.prompts.lastMessage();
    EXPECT_EQ(message.text,
              "Unable to Edit this entry as the File 'GONE.INI' cannot be found. \r\n\r\nPlease "
              "check that this "
              "file exists in the Torvane Backup Utility Folder or delete this entry.");
    EXPECT_EQ(message.icon, MsgIcon::Critical);
    EXPECT_EQ(message.title, "Torvane Scheduler");
    EXPECT_FALSE(dialogShown);
}

TEST_F(MainWindow, EditOpensTheDialogWithTheSelectedRow) {
    addSetFile("A.INI");
    addSetFile("B.INI");
    load({"A.INI", "B.INI"});
    select(2);
    QString seen;
    test::whenModalShows([&](QWidget* modal) {
        auto* edit = qobject_cast<Frm_Edit*>(modal);
        if (!edit) return;
        const ScheduleRow row = edit->enteredRow();
        seen = QString::fromStdString(row.backupSet + " " + row.schedule + " " + row.date + " " +
                                      row.time);
        edit->Cmd_Cancel->click();
    });
    window->Menu_File_Edit();
    EXPECT_EQ(seen, "B.INI Daily 14/12/2026 09:00");
}

TEST_F(MainWindow, ExitAsksAndOnYesLogsTheExitAndUnloads) {
    load({"A.INI"});
    QSignalSpy unloaded(window.get(), &Frm_Main::unloaded);
    ctx.prompts.answerMessage(MsgAnswer::No);
    window->Menu_File_Exit();
    EXPECT_EQ(ctx.prompts.lastMessage().text,
              "Are you sure that you wish to exit Torvane Scheduler\r\n\r\nIf you do, then Torvane "
              "Scheduler will "
              "not run any scheduled events.");
    EXPECT_EQ(ctx.prompts.lastMessage().defaultButton, MsgAnswer::No);
    EXPECT_EQ(unloaded.count(), 0);
    EXPECT_EQ(logText().find("Application Closed"), std::string::npos);

    ctx.prompts.answerMessage(MsgAnswer::Yes);
    window->Menu_File_Exit();
    EXPECT_EQ(unloaded.count(), 1);
    EXPECT_NE(logText().find("Application Closed\r\n" + std::string(80, '-') + "\r\n"),
              std::string::npos);
    EXPECT_FALSE(window->Tim_Scheduler->isActive());
}

TEST_F(MainWindow, TheCloseBoxKeepsTheProgramRunning) {
    load({"A.INI"});
    QSignalSpy unloaded(window.get(), &Frm_Main::unloaded);
    window->Menu_SystemTray_Open();
    EXPECT_TRUE(window->isVisible());
    window->close();
    EXPECT_EQ(unloaded.count(), 0);
    EXPECT_TRUE(window->isMinimized());
    EXPECT_TRUE(window->Tim_Scheduler->isActive());
}

TEST_F(MainWindow, AboutShowsVersionAndBuild) {
    load({});
    QString version, build;
    test::whenModalShows([&](QWidget* modal) {
        auto* about = qobject_cast<Frm_About*>(modal);
        if (!about) return;
        version = about->Fld_Version->text();
        build = about->Fld_Build->text();
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
        about->Cmd_Ok->click();
    });
    window->Menu_Help_About();
    EXPECT_EQ(version, QString("%1.%2").arg(version::kMajor).arg(version::kMinor));
    EXPECT_EQ(build, QString::number(version::kRevision));
}

class TrayWindow : public MainWindow {
  protected:
    TrayWindow() : MainWindow(true) {}
};

TEST_F(TrayWindow, StartsInTheTrayAndOpensCentredOnDoubleClick) {
    load({"A.INI"});
    ASSERT_NE(window->trayIcon(), nullptr);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->trayIcon()->contextMenu(), window->Menu_SystemTray);
    EXPECT_FALSE(std::filesystem::exists(ctx.programHost / "Torvane Scheduler.Log"));

    window->SystemTray_Activated(QSystemTrayIcon::DoubleClick);
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->isMinimized());
    const QRect screen = window->screen()->geometry();
    const QRect frame = window->frameGeometry();
    EXPECT_LE(std::abs(frame.center().x() - screen.center().x()), 1);
    EXPECT_LE(std::abs(frame.center().y() - screen.center().y()), 1);

    window->close();
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(window->trayIcon()->isVisible());

    window->Menu_SystemTray_Open();
    window->showMinimized();
    QApplication::processEvents();
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(window->Tim_Scheduler->isActive());
}

}  // namespace
}  // namespace torvane::scheduler
