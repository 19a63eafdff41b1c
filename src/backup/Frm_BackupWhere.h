#pragma once

#include <QDialog>

#include "common/AppContext.h"

class QLabel;
class QPushButton;

namespace torvane {

class DirListBox;
class DriveListBox;

// "Backup to Where?": picks the set's destination folder, and can make a new one.
class Frm_BackupWhere : public QDialog {
    Q_OBJECT
public:
    // `fldBackupWhere` is the main window's destination field, read at load and set by OK.
    Frm_BackupWhere(AppContext& context, const QString& setName, QLabel* fldBackupWhere, QWidget* parent = nullptr);

    DriveListBox* Dri_DriveList;
    DirListBox* Dir_DirList;
    QPushButton* Cmd_NewFolder;
    QPushButton* Cmd_Ok;
    QPushButton* Cmd_Cancel;

    // Positions the lists on the current destination; may show a message, so it runs once the
    // dialog is shown (or from a test).
    void Form_Load();

public slots:
    void Cmd_NewFolder_Click();
    void Cmd_Ok_Click();

private:
    void Dri_DriveList_Change(const QString& driveText);

    AppContext& context_;
    QString setName_;
    QLabel* fldBackupWhere_;
    bool loaded_ = false;
};

}  // namespace torvane
