#pragma once

#include <QMainWindow>
#include <functional>

#include "common/AppContext.h"
#include "zip/ZipEngine.h"

class QAction;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QTimer;
class QTreeWidget;

namespace torvane {

class DirListBox;
class DriveListBox;
class Frm_Backup;

// The utility's main window: a six-page tab control around the backup set editor, the
// restore controls, the set file viewer, the log, the protected folders and the product page.
class Frm_Mainmenu : public QMainWindow {
    Q_OBJECT
public:
    explicit Frm_Mainmenu(AppContext& context, QWidget* parent = nullptr);

    QTabWidget* TAB_Backup;
    // Backup page
    QGroupBox* Fra_Backup;
    QComboBox* Cmb_BackupSet;
    DriveListBox* Dri_DriveList;
    DirListBox* Dir_DirList;
    QLabel* Lbl_FilestoBackup;
    QLabel* Lbl_BackupFileName;
    QLabel* Fld_BackupWhere;
    QLabel* Fld_BackupOptions;
    QPushButton* Cmd_Options[3];
    QPushButton* Cmd_Navigate;
    QPushButton* Cmd_Change;
    QPushButton* Cmd_AddNew;
    QPushButton* Cmd_Backup;
    // Restore page
    QGroupBox* Fra_RestoreFull;
    QComboBox* Cmb_RestoreFile;
    QLabel* Fld_RestoreFile;
    QLabel* Fld_RestoreTo;
    QTreeWidget* TV_Restore;
    // INI Edit page
    QGroupBox* Fra_INIFileList;
    QListWidget* Fil_INI;
    QGroupBox* Fra_INIEdit;
    QPlainTextEdit* Fld_INI;
    QPushButton* Cmd_Save;
    // Log page
    QGroupBox* Fra_Log;
    QPlainTextEdit* Fld_Log;
    QLabel* Lbl_LogHint;
    QPushButton* Cmd_Refresh;
    // Secure Data page
    QGroupBox* Fra_SecureData;
    QLabel* SSP_PleaseWait;
    QLabel* Fld_SecureData;
    // About page
    QLabel* Lbl_WebAddress;
    QLabel* Fld_Version;
    QLabel* Fld_Build;
    QTimer* Tim_Flash;
    // Outside the pages
    QPushButton* Cmd_Exit;
    QLabel* Sta_Date;
    QLabel* Sta_Time;
    QAction* Menu_File_Exit;
    QAction* Menu_Options_Delete;

    // Puts a set name into the set box, as start-up and the new-set button do, and shows it.
    void selectBackupSet(const QString& name);
    // Closes the window with the reason the "Exit" record names (0 to 5).
    void closeWithReason(std::int16_t reason);
    // A termination signal: stop a running backup, then close with reason 3.
    void terminate();
    // Test seam passed to each backup's progress window.
    void setBackupAdjuster(std::function<void(zip::BackupRequest&)> adjust) { adjust_ = std::move(adjust); }
    Frm_Backup* activeBackup() const { return activeBackup_; }

public slots:
    void Cmb_BackupSet_Click();
    void Backup_EditMode(bool bEditMode);
    void Cmd_Change_Click();
    void Cmd_Options_Click();
    void Cmd_Navigate_Click();
    void Cmd_AddNew_Click();
    void Cmd_Backup_Click();
    void Cmd_Refresh_Click();
    void Cmd_Exit_Click();
    void Menu_File_Exit_Click();
    void TAB_Backup_Click(int index);
    void Tim_Flash_Timer();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildBackupPage();
    QWidget* buildRestorePage();
    QWidget* buildIniEditPage();
    QWidget* buildLogPage();
    QWidget* buildSecurePage();
    QWidget* buildAboutPage();
    void buildMenus();
    void Form_Load();
    void Show_About();
    void Dir_DirList_Change();
    void Dri_DriveList_Change(const QString& driveText);
    bool unattended() const { return !context_.commandLine.empty(); }
    std::string setFile() const;
    void showError(const std::string& description);

    AppContext& context_;
    std::int16_t closeReason_ = 0;
    bool terminating_ = false;
    bool flashHighlighted_ = false;
    Frm_Backup* activeBackup_ = nullptr;
    std::function<void(zip::BackupRequest&)> adjust_;
};

}  // namespace torvane
