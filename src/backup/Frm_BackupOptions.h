#pragma once

#include <QDialog>
#include <memory>

#include "backupsets/clsINI.h"
#include "common/AppContext.h"

class QCheckBox;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace torvane {

// The main window's labels that the options dialog updates after a save.
struct BackupLabels {
    QLabel* Fld_BackupWhere;
    QLabel* Fld_BackupOptions;
    QLabel* Lbl_FilestoBackup;
    QLabel* Lbl_BackupFileName;
    QLabel* Lbl_Exclusions;
};

// Shows a set's exclusions in the main window's label, which is hidden while there are none.
void showExclusions(QLabel* label, const std::string& exclude);

// "Backup Options": the file pattern, the archive's base name, the three switches, whether the
// backup is read back, what is left out and how many time-stamped backups are kept. Made from
// the set file as it is; throws TorvaneError when that cannot be read.
class Frm_BackupOptions : public QDialog {
    Q_OBJECT
public:
    Frm_BackupOptions(AppContext& context, const QString& setName, BackupLabels labels, QWidget* parent = nullptr);

    QGroupBox* Fra_Options;
    QLabel* Lbl_BackupFiles;
    QLineEdit* Fld_BackupFile;
    QLabel* Lbl_BackupFileName;
    QLineEdit* Fld_BackupFileName;
    QCheckBox* Chk_TimeBackup;
    QCheckBox* Chk_MultiVolumeBackup;
    QCheckBox* Chk_BackupSubDirectories;
    QCheckBox* Chk_Verify;
    QLabel* Lbl_Exclude;
    QLineEdit* Fld_Exclude;
    QLabel* Lbl_Keep;
    QLineEdit* Fld_Keep;
    QPushButton* Cmd_Ok;
    QPushButton* Cmd_Cancel;

public slots:
    void Cmd_Ok_Click();

private:
    void addRetentionFields(QGridLayout* grid);

    AppContext& context_;
    std::string setFile_;
    BackupLabels labels_;
    std::unique_ptr<clsINI> ini_;
};

}  // namespace torvane
