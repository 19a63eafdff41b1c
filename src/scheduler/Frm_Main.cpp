#include "Frm_Main.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMenuBar>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QTreeWidget>

#include "Frm_About.h"
#include "Frm_Add.h"
#include "Frm_Edit.h"
#include "ScheduleEntries.h"
#include "SchedulerTick.h"
#include "common/WidgetNames.h"

namespace torvane::scheduler {

namespace {

constexpr int kTickMs = 5000;
// Column widths of the list, from the desktop's twips at 15 to the pixel.
constexpr int kColumnWidths[] = {2670 / 15, 1049 / 15, 945 / 15, 945 / 15, 1095 / 15};

QAction* action(QMenu* menu, const char* name, const char* text) {
    return named(menu->addAction(text), name);
}

}  // namespace

Frm_Main::Frm_Main(SchedulerServices& services, QWidget* parent)
    : QMainWindow(parent),
      Lst_Backups(new QTreeWidget(this)),
      services_(services),
      list_(*Lst_Backups) {
    setObjectName("Frm_Main");
    setWindowIcon(style()->standardIcon(QStyle::SP_DriveHDIcon));
    resize(620, 300);

    named(Lst_Backups, "Lst_Backups");
    Lst_Backups->setRootIsDecorated(false);
    Lst_Backups->setSelectionMode(QAbstractItemView::SingleSelection);
    Lst_Backups->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Lst_Backups->installEventFilter(this);
    setCentralWidget(Lst_Backups);
    connect(Lst_Backups, &QTreeWidget::itemDoubleClicked, this, [this] { Menu_File_Edit(); });

    Menu_File = named(menuBar()->addMenu("&File"), "Menu_File");
    Menu_File_Add_Action = action(Menu_File, "Menu_File_Add", "&Add");
    Menu_File_Edit_Action = action(Menu_File, "Menu_File_Edit", "E&dit");
    Menu_File_Delete_Action = action(Menu_File, "Menu_File_Delete", "&Delete");
    Menu_File->addSeparator();
    Menu_File_Exit_Action = action(Menu_File, "Menu_File_Exit", "E&xit");
    Menu_Help = named(menuBar()->addMenu("&Help"), "Menu_Help");
    Menu_Help_About_Action = action(Menu_Help, "Menu_Help_About", "&About");
    // Never in the menu bar: it is the tray icon's pop-up menu.
    Menu_SystemTray = named(new QMenu("&SystemTray", this), "Menu_SystemTray");
    Menu_SystemTray_Open_Action = action(Menu_SystemTray, "Menu_SystemTray_Open", "&Open");

    connect(Menu_File_Add_Action, &QAction::triggered, this, &Frm_Main::Menu_File_Add);
    connect(Menu_File_Edit_Action, &QAction::triggered, this, &Frm_Main::Menu_File_Edit);
    connect(Menu_File_Delete_Action, &QAction::triggered, this, &Frm_Main::Menu_File_Delete);
    connect(Menu_File_Exit_Action, &QAction::triggered, this, &Frm_Main::Menu_File_Exit);
    connect(Menu_Help_About_Action, &QAction::triggered, this, &Frm_Main::Menu_Help_About);
    connect(Menu_SystemTray_Open_Action, &QAction::triggered, this,
            &Frm_Main::Menu_SystemTray_Open);

    Tim_Scheduler = named(new QTimer(this), "Tim_Scheduler");
    Tim_Scheduler->setInterval(kTickMs);
    connect(Tim_Scheduler, &QTimer::timeout, this, &Frm_Main::Tim_Scheduler_Timer);
}

Frm_Main::~Frm_Main() = default;

void Frm_Main::Form_Load() {
    Lst_Backups->setHeaderLabels({"Backup Set", "Frequency", "Date", "Time", "Status"});
    for (int column = 0; column < 5; ++column)
        Lst_Backups->setColumnWidth(column, kColumnWidths[column]);
    try {
        clsRegistry(services_.store).Load(list_);
    } catch (const std::exception& error) {
        // The list stays empty and every save reads the store again, so the unreadable store is
        // refused rather than written over.
        showError(error);
    }
    Tim_Scheduler->start();

    setWindowTitle(kExecutableName);
    if (services_.trayAvailable) {
        tray_ = std::make_unique<QSystemTrayIcon>(windowIcon());
        tray_->setToolTip(windowTitle());
        tray_->setContextMenu(Menu_SystemTray);
        connect(tray_.get(), &QSystemTrayIcon::activated, this, &Frm_Main::SystemTray_Activated);
    }
    bTrayReady_ = true;
    if (tray_) {
        SystemTray_Minimize();
    } else {
        services_.log.WriteToLog(
            "Backup", true,
            "No Notification Area Available - Torvane Scheduler Minimised to the Task Bar");
        showMinimized();
    }
}

void Frm_Main::SystemTray_Minimize() {
    if (!tray_) return;
    tray_->show();
    hide();
}

void Frm_Main::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && isMinimized() && bTrayReady_ && tray_)
        QTimer::singleShot(0, this, [this] {
            if (isMinimized()) SystemTray_Minimize();
        });
}

void Frm_Main::closeEvent(QCloseEvent* event) {
    // Only the program's own unload ends it; the close box and the system menu send it back.
    if (!unloading_) {
        event->ignore();
        if (tray_)
            SystemTray_Minimize();
        else
            showMinimized();
        return;
    }
    Tim_Scheduler->stop();
    if (tray_) tray_->hide();
    event->accept();
    emit unloaded();
}

bool Frm_Main::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Lst_Backups && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        Menu_File_Delete();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void Frm_Main::Tim_Scheduler_Timer() {
    // A message box shown by one tick lets later ticks run inside it; they wait their turn.
    if (ticking_) return;
    ticking_ = true;
    try {
        clsRegistry registry(services_.store);
        TickServices tick{
            list_,
            registry,
            services_.app.clock,
            services_.starter,
            services_.app.host,
            services_.app.globals.sUtilityFolder,
            [this](const std::string& text) { services_.log.WriteToLog("Backup", true, text); }};
        SchedulerTick(tick);
    } catch (const std::exception& error) {
        showError(error);
    }
    ticking_ = false;
}

void Frm_Main::Menu_File_Add() {
    Frm_Add dialog(services_, list_, this);
    dialog.exec();
}

void Frm_Main::Menu_File_Edit() {
    const int index = selectedRow();
    if (index == 0) return;
    const ScheduleRow row = list_.row(index);
    if (!backupSetExists(services_.app.host, services_.app.globals.sUtilityFolder, row.backupSet)) {
        auto& globals = services_.app.globals;
        globals.sMessage = "Unable to Edit this entry as the File '" + row.backupSet + "' cannot " +
                           "be found. " + globals.sNewLine + globals.sNewLine +
                           "Please check that this file " +
                           "exists in the Torvane Backup Utility " + "Folder or delete this entry.";
        services_.app.prompts.message(
            {globals.sMessage, MsgButtons::Ok, MsgIcon::Critical, MsgAnswer::Ok, kExecutableName});
        return;
    }
    Frm_Edit dialog(services_, list_, index, this);
    dialog.showRow(row);
    dialog.exec();
}

void Frm_Main::Menu_File_Delete() {
    const int index = selectedRow();
    if (index == 0) return;
    auto& globals = services_.app.globals;
    globals.sMessage =
        std::string("Are you sure that you wish to delete ") + "this Scheduled Event?";
    if (services_.app.prompts.message({globals.sMessage, MsgButtons::YesNo, MsgIcon::Question,
                                       MsgAnswer::No, kExecutableName}) != MsgAnswer::Yes)
        return;
    try {
        clsRegistry registry(services_.store);
        selectRow(DeleteRow(list_, registry, index));
    } catch (const std::exception& error) {
        showError(error);
    }
}

void Frm_Main::Menu_File_Exit() {
    auto& globals = services_.app.globals;
    const std::string name = kExecutableName;
    globals.sMessage = "Are you sure that you wish to exit " + name + globals.sNewLine +
                       globals.sNewLine + "If you do, then " + name + " will not run any " +
                       "scheduled events.";
    if (services_.app.prompts.message({globals.sMessage, MsgButtons::YesNo, MsgIcon::Question,
                                       MsgAnswer::No, kExecutableName}) != MsgAnswer::Yes)
        return;
    closeFromOutside();
}

void Frm_Main::closeFromOutside() {
    if (unloading_) return;
    unloading_ = true;
    try {
        services_.log.WriteToLog("Exit", true, std::int16_t{0});
    } catch (const std::exception& error) {
        showError(error);
    }
    close();
}

void Frm_Main::Menu_Help_About() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    Frm_About about(this);
    about.exec();
}

void Frm_Main::Menu_SystemTray_Open() {
    bTrayReady_ = false;
    showNormal();
    if (const QScreen* screen = this->screen()) {
        const QRect area = screen->geometry();
        move(area.x() + (area.width() - frameGeometry().width()) / 2,
             area.y() + (area.height() - frameGeometry().height()) / 2);
    }
    raise();
    activateWindow();
    bTrayReady_ = true;
}

void Frm_Main::SystemTray_Activated(QSystemTrayIcon::ActivationReason reason) {
    if (bTrayBusy_) return;
    bTrayBusy_ = true;
    // The right button needs nothing here: the icon shows Menu_SystemTray as its context menu.
    if (reason == QSystemTrayIcon::DoubleClick) Menu_SystemTray_Open();
    bTrayBusy_ = false;
}

int Frm_Main::selectedRow() const {
    if (Lst_Backups->topLevelItemCount() == 0) return 0;
    QTreeWidgetItem* item = Lst_Backups->currentItem();
    if (!item || !item->isSelected()) return 0;
    return Lst_Backups->indexOfTopLevelItem(item) + 1;
}

void Frm_Main::selectRow(int index) {
    if (index == 0) return;
    QTreeWidgetItem* item = Lst_Backups->topLevelItem(index - 1);
    Lst_Backups->setCurrentItem(item);
    item->setSelected(true);
}

void Frm_Main::showError(const std::exception& error) {
    services_.app.prompts.message(
        {error.what(), MsgButtons::Ok, MsgIcon::Critical, MsgAnswer::Ok, "Error"});
}

}  // namespace torvane::scheduler
