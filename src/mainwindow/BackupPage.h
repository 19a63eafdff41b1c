#pragma once

#include <functional>
#include <string>
#include <vector>

#include "backup/RunOutcome.h"
#include "backup/BackupRun.h"
#include "common/AppContext.h"
#include "mainwindow/MainWindowPage.h"
#include "zip/ZipEngine.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;

namespace torvane {

class DirListBox;
class DriveListBox;
class Frm_Backup;

// The Backup page: one set at a time, read-only until "&Change Settings", and the backup run.
class BackupPage : public MainWindowPage {
    Q_OBJECT
  public:
    explicit BackupPage(AppContext& context, QWidget* parent = nullptr);

    QGroupBox* Fra_Backup;
    QComboBox* Cmb_BackupSet;
    DriveListBox* Dri_DriveList;
    DirListBox* Dir_DirList;
    QLabel* Lbl_FilestoBackup;
    QLabel* Lbl_Exclusions;
    QLabel* Lbl_BackupFileName;
    QLabel* Fld_BackupWhere;
    QLabel* Fld_BackupOptions;
    QPushButton* Cmd_Options[3];
    QPushButton* Cmd_Navigate;
    QPushButton* Cmd_Change;
    QPushButton* Cmd_AddNew;
    QPushButton* Cmd_Backup;

    void shown() override { Cmb_BackupSet_Click(); }
    // Fills the set box at load, leaving nothing selected.
    void listSets(const std::vector<std::string>& names);
    // Selects a listed name (exact comparison) and shows that set once the window is running.
    bool selectListed(const QString& name);
    // Puts a set name into the set box, as start-up and the new-set button do, and shows it.
    void selectBackupSet(const QString& name);
    // The selected set's name, empty when none is selected.
    QString selectedSet() const;
    // Ends a running backup without waiting, and any backup started after this at once.
    // Returns whether one was running.
    bool stopBackups();
    // Test seam passed to each backup's progress window.
    void setBackupAdjuster(std::function<void(zip::BackupRequest&)> adjust) {
        adjust_ = std::move(adjust);
    }
    Frm_Backup* activeBackup() const { return activeBackup_; }
    // How the last unattended press of the backup button ended.
    const RunOutcome& lastUnattendedRun() const { return lastUnattendedRun_; }
    // How the last backup button press ended: refused, or the run's own result.
    RunResult lastResult() const { return lastResult_; }

  signals:
    // A new set file was made; the other set lists take it up.
    void setCreated(const QString& name);
    // A backup's progress window has closed.
    void backupEnded();

  public slots:
    void Cmb_BackupSet_Click();
    void Backup_EditMode(bool bEditMode);
    void Cmd_Change_Click();
    void Cmd_Options_Click();
    void Cmd_Navigate_Click();
    void Cmd_AddNew_Click();
    void Cmd_Backup_Click();

  private:
    void Dir_DirList_Change();
    void Dri_DriveList_Change(const QString& driveText);
    void showProgramRoot();
    bool unattended() const { return !context_.commandLine.empty(); }
    void showError(const std::string& description);

    AppContext& context_;
    bool stopping_ = false;
    Frm_Backup* activeBackup_ = nullptr;
    RunResult lastResult_ = RunResult::Failed;
    std::function<void(zip::BackupRequest&)> adjust_;
    RunOutcome lastUnattendedRun_;
};

}  // namespace torvane
