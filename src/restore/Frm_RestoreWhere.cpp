#include "Frm_RestoreWhere.h"

#include <QLabel>

#include "backupsets/clsFiles.h"
#include "common/DirListBox.h"
#include "common/DriveListBox.h"
#include "platform/AsciiCase.h"

namespace torvane {

Frm_RestoreWhere::Frm_RestoreWhere(AppContext& context, QLabel* fldRestoreTo, QWidget* parent)
    : FolderChooser(context, "Frm_RestoreWhere", "Restore To Where?", parent),
      fldRestoreTo_(fldRestoreTo) {}

void Frm_RestoreWhere::load() {
    const std::string where = fldRestoreTo_->text().toStdString();
    if (!where.empty() && clsFiles(context_).Exist(where, false)) {
        Dri_DriveList->setDrive(QString::fromStdString(where.substr(0, 3)));
        Dir_DirList->setPath(QString::fromStdString(where));
        return;
    }
    if (!where.empty())
        context_.prompts.message(
            {"Unable to find " + where + "\r\nPlease select an available path.", MsgButtons::Ok,
             MsgIcon::Exclamation, MsgAnswer::Ok, "Restore To Where"});
    // The folder list follows the drive list to the root of the program's drive.
    Dri_DriveList->setDrive(QString::fromStdString(programRoot()));
    Dir_DirList->setPath(QString::fromStdString(programRoot()));
}

void Frm_RestoreWhere::Cmd_Ok_Click() {
    fldRestoreTo_->setText(
        QString::fromStdString(platform::asciiUpper(Dir_DirList->path().toStdString())));
    accept();
}

}  // namespace torvane
