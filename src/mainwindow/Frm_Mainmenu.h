#pragma once

#include <QMainWindow>
#include <cstdint>
#include <vector>

#include "common/AppContext.h"

class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QTabWidget;

namespace torvane {

class AboutPage;
class BackupPage;
class IniEditPage;
class LogPage;
class MainWindowPage;
class QueuedRuns;
class RestorePage;
class SecureDataPage;

// The utility's main window: the shell around six pages (backup, restore, set file viewer, log,
// protected folders, product page) that owns the tab control, menus, status bar, load and close,
// and is the only place where one page is connected to another.
class Frm_Mainmenu : public QMainWindow {
    Q_OBJECT
  public:
    explicit Frm_Mainmenu(AppContext& context, QWidget* parent = nullptr);

    QTabWidget* TAB_Backup;
    BackupPage* backupPage;
    RestorePage* restorePage;
    IniEditPage* iniEditPage;
    LogPage* logPage;
    SecureDataPage* securePage;
    AboutPage* aboutPage;
    QPushButton* Cmd_Exit;
    QLabel* Sta_Date;
    QLabel* Sta_Time;
    QAction* Menu_File_Exit;
    QMenu* Menu_Options;
    QAction* Menu_Options_Delete;
    QAction* Menu_Options_Email;
    QMenu* Menu_Secure;

    // Puts a set name into the backup page's set box and shows it.
    void selectBackupSet(const QString& name);
    // Closes the window with the reason the "Exit" record names (0 to 5).
    void closeWithReason(std::int16_t reason);
    // A termination signal: stop a running backup, then close with reason 3.
    void terminate();
    // Sets handed over by other starts; closing waits for their backups as for its own.
    void setQueuedRuns(QueuedRuns* runs);

  public slots:
    void Cmd_Backup_Click();
    void Cmd_Exit_Click();
    void Menu_File_Exit_Click();
    void TAB_Backup_Click();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildStatusBar();
    void buildMenus();
    void Form_Load();
    void Backup_Ended();
    bool unattended() const { return !context_.commandLine.empty(); }

    AppContext& context_;
    std::vector<MainWindowPage*> pages_;
    std::int16_t closeReason_ = 0;
    bool terminating_ = false;
    QueuedRuns* queuedRuns_ = nullptr;
};

}  // namespace torvane
