#pragma once

#include <QMainWindow>
#include <QSystemTrayIcon>
#include <memory>

#include "SchedulerServices.h"
#include "TreeScheduleList.h"

class QAction;
class QMenu;
class QTimer;
class QTreeWidget;

namespace torvane::scheduler {

// The scheduler's one window: the list of events, the timer that starts them and the tray icon.
// It starts in the tray; closing it with its close box sends it back there.
class Frm_Main : public QMainWindow {
    Q_OBJECT
public:
    explicit Frm_Main(SchedulerServices& services, QWidget* parent = nullptr);
    ~Frm_Main() override;

    // Fills the list from the store and goes to the tray (or, without one, minimised).
    void Form_Load();
    // An outside request to end (a termination signal): the "Exit" record, then unload.
    void closeFromOutside();

    ScheduleList& list() { return list_; }
    QSystemTrayIcon* trayIcon() const { return tray_.get(); }

    QTreeWidget* Lst_Backups;
    QTimer* Tim_Scheduler;
    QMenu* Menu_File;
    QAction* Menu_File_Add_Action;
    QAction* Menu_File_Edit_Action;
    QAction* Menu_File_Delete_Action;
    QAction* Menu_File_Exit_Action;
    QMenu* Menu_Help;
    QAction* Menu_Help_About_Action;
    QMenu* Menu_SystemTray;
    QAction* Menu_SystemTray_Open_Action;

public slots:
    void Tim_Scheduler_Timer();
    void Menu_File_Add();
    void Menu_File_Edit();
    void Menu_File_Delete();
    void Menu_File_Exit();
    void Menu_Help_About();
    void Menu_SystemTray_Open();
    void SystemTray_Activated(QSystemTrayIcon::ActivationReason reason);

signals:
    // The window has been unloaded for good; the program ends.
    void unloaded();

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SystemTray_Minimize();
    int selectedRow() const;
    void selectRow(int index);
    void showError(const std::exception& error);

    SchedulerServices& services_;
    TreeScheduleList list_;
    std::unique_ptr<QSystemTrayIcon> tray_;
    bool bTrayReady_ = false;
    bool bTrayBusy_ = false;
    bool ticking_ = false;
    bool unloading_ = false;
};

}  // namespace torvane::scheduler
