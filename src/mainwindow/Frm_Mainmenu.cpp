#include "Frm_Mainmenu.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "backup/SetEditor.h"
#include "common/TorvaneError.h"
#include "common/WidgetNames.h"
#include "common/clsLog.h"
#include "mainwindow/AboutPage.h"
#include "mainwindow/BackupPage.h"
#include "mainwindow/Frm_EmailSettings.h"
#include "mainwindow/IniEditPage.h"
#include "mainwindow/LogPage.h"
#include "mainwindow/PageWidgets.h"
#include "mainwindow/QueuedRuns.h"
#include "mainwindow/RestorePage.h"
#include "mainwindow/SecureDataPage.h"
#include "platform/SettingsStore.h"

namespace torvane {

namespace {

// A deleted set leaves a set box at once; when it was the selected one, nothing is selected.
void dropSetName(QComboBox* box, const QString& name) {
    for (int i = box->count() - 1; i >= 0; --i) {
        if (box->itemText(i) != name) continue;
        const bool selected = i == box->currentIndex();
        box->removeItem(i);
        if (selected) box->setCurrentIndex(-1);
    }
}

}  // namespace

Frm_Mainmenu::Frm_Mainmenu(AppContext& context, QWidget* parent)
    : QMainWindow(parent), context_(context) {
    setObjectName("Frm_Mainmenu");
    auto* central = new QWidget(this);
    TAB_Backup = tipped(named(new QTabWidget(central), "TAB_Backup"), "Select Different Options");
    backupPage = new BackupPage(context_);
    restorePage = new RestorePage(context_);
    iniEditPage = new IniEditPage(context_);
    logPage = new LogPage(context_);
    securePage = new SecureDataPage(context_);
    aboutPage = new AboutPage(context_);
    pages_ = {backupPage, restorePage, iniEditPage, logPage, securePage, aboutPage};
    TAB_Backup->addTab(backupPage, "Backup");
    TAB_Backup->addTab(restorePage, "Restore");
    TAB_Backup->addTab(iniEditPage, "INI Edit");
    TAB_Backup->addTab(logPage, "Log");
    TAB_Backup->addTab(securePage, "Secure Data");
    TAB_Backup->addTab(aboutPage, "About");
    Cmd_Exit = named(new QPushButton("&Exit", central), "Cmd_Exit");
    Cmd_Exit->setToolTip("Exit this Product");
    auto* exitRow = new QHBoxLayout;
    exitRow->addStretch();
    exitRow->addWidget(Cmd_Exit);
    auto* layout = new QVBoxLayout(central);
    layout->addWidget(TAB_Backup, 1);
    layout->addLayout(exitRow);
    setCentralWidget(central);
    buildStatusBar();
    buildMenus();

    connect(backupPage, &BackupPage::setCreated, restorePage, &RestorePage::addSet);
    connect(backupPage, &BackupPage::backupEnded, this, &Frm_Mainmenu::Backup_Ended);
    connect(iniEditPage, &IniEditPage::optionsMenuRequested, this,
            [this](const QPoint& pos) { Menu_Options->popup(pos); });
    connect(iniEditPage, &IniEditPage::setDeleted, this, [this](const QString& name) {
        dropSetName(backupPage->Cmb_BackupSet, name);
        dropSetName(restorePage->Cmb_RestoreFile, name);
    });
    connect(restorePage, &RestorePage::restoreEnded, this, &Frm_Mainmenu::Backup_Ended);
    connect(TAB_Backup, &QTabWidget::currentChanged, this, &Frm_Mainmenu::TAB_Backup_Click);
    connect(Cmd_Exit, &QPushButton::clicked, this, &Frm_Mainmenu::Cmd_Exit_Click);
    resize(640, 500);
    Form_Load();
}

void Frm_Mainmenu::buildStatusBar() {
    Sta_Date = named(new QLabel(this), "Sta_Date");
    Sta_Time = named(new QLabel(this), "Sta_Time");
    statusBar()->setObjectName("Sta_Mainmenu");
    statusBar()->addPermanentWidget(Sta_Date);
    statusBar()->addPermanentWidget(Sta_Time);
    auto* clockTimer = new QTimer(this);
    const auto tick = [this] {
        const auto t = context_.clock.now();
        Sta_Date->setText(QString::asprintf("%02d/%02d/%04d", t.day, t.month, t.year));
        Sta_Time->setText(QString::asprintf("%02d:%02d", t.hour, t.minute));
    };
    connect(clockTimer, &QTimer::timeout, this, tick);
    clockTimer->start(1000);
    tick();
}

void Frm_Mainmenu::buildMenus() {
    QMenu* file = menuBar()->addMenu("&File");
    file->setObjectName("Menu_File");
    Menu_File_Exit = file->addAction("E&xit");
    Menu_File_Exit->setObjectName("Menu_File_Exit");
    connect(Menu_File_Exit, &QAction::triggered, this, &Frm_Mainmenu::Menu_File_Exit_Click);
    Menu_Options = menuBar()->addMenu("&Options");
    Menu_Options->setObjectName("Menu_Options");
    Menu_Options_Delete = Menu_Options->addAction("&Delete Configuration File");
    Menu_Options_Delete->setObjectName("Menu_Options_Delete");
    connect(Menu_Options_Delete, &QAction::triggered, iniEditPage,
            &IniEditPage::Menu_Options_Delete_Click);
    Menu_Options_Email = Menu_Options->addAction("&E-Mail Settings...");
    Menu_Options_Email->setObjectName("Menu_Options_Email");
    connect(Menu_Options_Email, &QAction::triggered, this,
            [this] { Frm_EmailSettings(context_, this).exec(); });
    // The protected-folder page's own menu, also its pop-up over the folder tree.
    Menu_Secure = securePage->Menu_Secure;
    menuBar()->addMenu(Menu_Secure);
}

void Frm_Mainmenu::Form_Load() {
    setWindowTitle("Torvane");
    TAB_Backup->blockSignals(true);
    TAB_Backup->setCurrentWidget(backupPage);
    TAB_Backup->blockSignals(false);
    const std::vector<std::string> sets = listSetFiles(context_);
    backupPage->listSets(sets);
    restorePage->listSets(sets);
    aboutPage->startFlashing();
    if (!unattended()) {
        const std::string remembered =
            platform::SettingsStore(context_.host.settingsFolder(), "Torvane")
                .get("Startup", "INI File", "Nil");
        if (remembered != "Nil") backupPage->selectListed(QString::fromStdString(remembered));
    }
}

void Frm_Mainmenu::selectBackupSet(const QString& name) { backupPage->selectBackupSet(name); }

void Frm_Mainmenu::Cmd_Backup_Click() { backupPage->Cmd_Backup_Click(); }

void Frm_Mainmenu::Backup_Ended() {
    if (terminating_ && !unattended()) closeWithReason(3);
}

void Frm_Mainmenu::Cmd_Exit_Click() { Menu_File_Exit_Click(); }

void Frm_Mainmenu::Menu_File_Exit_Click() { closeWithReason(1); }

void Frm_Mainmenu::closeWithReason(std::int16_t reason) {
    closeReason_ = reason;
    close();
}

void Frm_Mainmenu::terminate() {
    terminating_ = true;
    const bool queuedRunning = queuedRuns_ && queuedRuns_->stop();
    // A running backup or restore ends first; its end then closes the window.
    const bool backingUp = backupPage->stopBackups();
    const bool restoring = restorePage->stopRestores();
    if (!backingUp && !restoring && !queuedRunning) closeWithReason(3);
}

void Frm_Mainmenu::setQueuedRuns(QueuedRuns* runs) {
    queuedRuns_ = runs;
    connect(runs, &QueuedRuns::runEnded, this, &Frm_Mainmenu::Backup_Ended);
}

void Frm_Mainmenu::TAB_Backup_Click() {
    aboutPage->stopFlashing();
    for (MainWindowPage* page : pages_)
        if (page == TAB_Backup->currentWidget()) page->shown();
}

void Frm_Mainmenu::closeEvent(QCloseEvent* event) {
    if (backupPage->activeBackup() || restorePage->activeRestore() || (queuedRuns_ && queuedRuns_->running())) {
        // A refused close leaves no reason behind for a later close that asks for none.
        closeReason_ = 0;
        event->ignore();
        return;
    }
    const std::int16_t reason = terminating_ ? std::int16_t{3} : closeReason_;
    closeReason_ = 0;
    try {
        clsLog(context_, LogFlavour::utility()).WriteToLog("Exit", true, reason);
    } catch (const TorvaneError&) {
        // Closing goes on even when the log cannot be written.
    }
    if (!unattended()) {
        try {
            platform::SettingsStore(context_.host.settingsFolder(), "Torvane")
                .save("Startup", "INI File", backupPage->selectedSet().toStdString());
        } catch (const std::exception&) {
            // The remembered set is a convenience; losing it must not keep the window open.
        }
    }
    aboutPage->stopFlashing();
    event->accept();
}

}  // namespace torvane
