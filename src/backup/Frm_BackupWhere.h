#pragma once

#include "backup/FolderChooser.h"

class QLabel;

namespace torvane {

// "Backup to Where?": picks the set's destination folder, and can make a new one.
class Frm_BackupWhere : public FolderChooser {
    Q_OBJECT
  public:
    // `fldBackupWhere` is the main window's destination field, read at load and set by OK.
    Frm_BackupWhere(AppContext& context, const QString& setName, QLabel* fldBackupWhere,
                    QWidget* parent = nullptr);

  public slots:
    void Cmd_Ok_Click() override;

  protected:
    void load() override;

  private:
    QString setName_;
    QLabel* fldBackupWhere_;
};

}  // namespace torvane
