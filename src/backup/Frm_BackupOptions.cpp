#include "Frm_BackupOptions.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "backup/SetEditor.h"
#include "common/TorvaneError.h"
#include "common/WidgetNames.h"

namespace torvane {

Frm_BackupOptions::Frm_BackupOptions(AppContext& context, const QString& setName, BackupLabels labels,
                                     QWidget* parent)
    : QDialog(parent),
      context_(context),
      setFile_(context.host.programFolder() + "\\" + setName.toStdString()),
      labels_(labels),
      ini_(std::make_unique<clsINI>(context)) {
    setObjectName("Frm_BackupOptions");
    setWindowTitle("Backup Options");
    Fra_Options = named(new QGroupBox(this), "Fra_Options");
    Lbl_BackupFiles = named(new QLabel("Backup Files", Fra_Options), "Lbl_BackupFiles");
    Fld_BackupFile = named(new QLineEdit(Fra_Options), "Fld_BackupFile");
    Lbl_BackupFileName = named(new QLabel("Backup File Name", Fra_Options), "Lbl_BackupFileName");
    Fld_BackupFileName = named(new QLineEdit(Fra_Options), "Fld_BackupFileName");
    Chk_TimeBackup = named(new QCheckBox("Time Backup", Fra_Options), "Chk_TimeBackup");
    Chk_MultiVolumeBackup = named(new QCheckBox("Multi Volume Backup", Fra_Options), "Chk_MultiVolumeBackup");
    Chk_BackupSubDirectories = named(new QCheckBox("Backup Sub Directories", Fra_Options), "Chk_BackupSubDirectories");
    Chk_Verify = named(new QCheckBox("Verify Backup", Fra_Options), "Chk_Verify");
    Cmd_Ok = named(new QPushButton("OK", this), "Cmd_Ok");
    Cmd_Ok->setDefault(true);
    Cmd_Cancel = named(new QPushButton("Cancel", this), "Cmd_Cancel");

    auto* grid = new QGridLayout(Fra_Options);
    grid->addWidget(Lbl_BackupFiles, 0, 0);
    grid->addWidget(Fld_BackupFile, 0, 1);
    grid->addWidget(Lbl_BackupFileName, 1, 0);
    grid->addWidget(Fld_BackupFileName, 1, 1);
    grid->addWidget(Chk_TimeBackup, 2, 0, 1, 2);
    grid->addWidget(Chk_MultiVolumeBackup, 3, 0, 1, 2);
    grid->addWidget(Chk_BackupSubDirectories, 4, 0, 1, 2);
    grid->addWidget(Chk_Verify, 5, 0, 1, 2);
    addRetentionFields(grid);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Cmd_Ok);
    buttons->addWidget(Cmd_Cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Fra_Options);
    layout->addLayout(buttons);

    ini_->Read_INI(setFile_);
    Chk_TimeBackup->setChecked(ini_->TimeBackup() == "ON");
    Chk_MultiVolumeBackup->setChecked(ini_->MultiVolumeBackup() == "ON");
    Chk_BackupSubDirectories->setChecked(ini_->BackupSubDirectories() == "ON");
    Chk_Verify->setChecked(ini_->Verifies());
    Fld_BackupFile->setText(QString::fromStdString(ini_->Backup_Parts(ini_->BackupFiles(), 2)));
    Fld_BackupFileName->setText(QString::fromStdString(ini_->BackupFileName()));
    Fld_Exclude->setText(QString::fromStdString(ini_->Exclude()));
    Fld_Exclude->setCursorPosition(0);
    Fld_Keep->setText(QString::fromStdString(ini_->Keep()));

    connect(Cmd_Ok, &QPushButton::clicked, this, &Frm_BackupOptions::Cmd_Ok_Click);
    connect(Cmd_Cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void Frm_BackupOptions::addRetentionFields(QGridLayout* grid) {
    Lbl_Exclude = named(new QLabel("Exclude", Fra_Options), "Lbl_Exclude");
    Fld_Exclude = named(new QLineEdit(Fra_Options), "Fld_Exclude");
    Fld_Exclude->setMinimumWidth(Fld_Exclude->fontMetrics().averageCharWidth() * 44);
    Fld_Exclude->setToolTip("Files and Folders to leave out, separated by ; (a Folder ends in \\), "
                            "such as *.tmp;CACHE\\");
    Lbl_Keep = named(new QLabel("Keep", Fra_Options), "Lbl_Keep");
    Fld_Keep = named(new QLineEdit(Fra_Options), "Fld_Keep");
    Fld_Keep->setToolTip("How many Time Backups to keep; the oldest beyond go after each Backup (0 keeps all)");
    Lbl_Exclude->setBuddy(Fld_Exclude);
    Lbl_Keep->setBuddy(Fld_Keep);
    QWidget::setTabOrder(Chk_Verify, Fld_Exclude);
    QWidget::setTabOrder(Fld_Exclude, Fld_Keep);
    // Appended below whatever the frame holds already.
    const int row = grid->rowCount();
    grid->addWidget(Lbl_Exclude, row, 0);
    grid->addWidget(Fld_Exclude, row, 1);
    grid->addWidget(Lbl_Keep, row + 1, 0);
    grid->addWidget(Fld_Keep, row + 1, 1);
}

void showExclusions(QLabel* label, const std::string& exclude) {
    const QString text = QString::fromStdString(exclude.empty() ? exclude : "Exclude " + exclude);
    label->setText(text);
    // A long list is cut off by the page; the tip shows it whole.
    label->setToolTip(text);
    label->setVisible(!exclude.empty());
}

void Frm_BackupOptions::Cmd_Ok_Click() {
    OptionsForm form{Fld_BackupFile->text().toStdString(), Fld_BackupFileName->text().toStdString(),
                     Chk_TimeBackup->isChecked(), Chk_MultiVolumeBackup->isChecked(),
                     Chk_BackupSubDirectories->isChecked(), Chk_Verify->isChecked(),
                     Fld_Keep->text().toStdString(), Fld_Exclude->text().toStdString()};
    try {
        const auto result = saveOptions(context_, *ini_, setFile_, form, labels_.Fld_BackupWhere->text().toStdString());
        Fld_BackupFile->setText(QString::fromStdString(form.pattern));
        if (const auto* refusal = std::get_if<MessageRequest>(&result)) {
            context_.prompts.message(*refusal);
            return;
        }
        const auto& saved = std::get<OptionsSaved>(result);
        labels_.Fld_BackupOptions->setText(QString::fromStdString(saved.options));
        labels_.Lbl_FilestoBackup->setText(QString::fromStdString(saved.filesToBackup));
        labels_.Lbl_BackupFileName->setText(QString::fromStdString(saved.backupFileName));
        showExclusions(labels_.Lbl_Exclusions, saved.exclusions);
    } catch (const TorvaneError& e) {
        context_.prompts.message({e.description(), MsgButtons::Ok, MsgIcon::Critical, MsgAnswer::Ok, "Error"});
        return;
    }
    accept();
}

}  // namespace torvane
