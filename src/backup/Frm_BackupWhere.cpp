#include "Frm_BackupWhere.h"

#include <QLabel>

#include "backup/SetEditor.h"
#include "backupsets/clsFiles.h"
#include "common/DirListBox.h"
#include "common/DriveListBox.h"
#include "common/TorvaneError.h"

namespace torvane {

Frm_BackupWhere::Frm_BackupWhere(AppContext& context, const QString& setName,
                                 QLabel* fldBackupWhere, QWidget* parent)
    : FolderChooser(context, "Frm_BackupWhere", "Backup to Where?", parent),
      setName_(setName),
      fldBackupWhere_(fldBackupWhere) {}

void Frm_BackupWhere::load() {
    const std::string programFolder = context_.host.programFolder();
    const std::string where = fldBackupWhere_->text().toStdString();
    if (!where.empty() && !clsFiles(context_).Exist(where, false)) {
        context_.prompts.message(
            {"Unable to find " + where + "\r\nPlease select an available path.", MsgButtons::Ok,
             MsgIcon::Exclamation, MsgAnswer::Ok, "Backup Where"});
        Dri_DriveList->setDrive(QString::fromStdString(programRoot()));
        return;
    }
    Dri_DriveList->setDrive(
        QString::fromStdString(where.empty() ? programRoot() : where.substr(0, 3)));
    Dir_DirList->setPath(QString::fromStdString(where.empty() ? programFolder : where));
}

void Frm_BackupWhere::Cmd_Ok_Click() {
    const QString folder = Dir_DirList->path();
    try {
        saveDestination(context_, context_.host.programFolder() + "\\" + setName_.toStdString(),
                        folder.toStdString());
    } catch (const TorvaneError& e) {
        context_.prompts.message(
            {e.description(), MsgButtons::Ok, MsgIcon::Critical, MsgAnswer::Ok, "Error"});
        return;
    }
    fldBackupWhere_->setText(folder);
    accept();
}

}  // namespace torvane
