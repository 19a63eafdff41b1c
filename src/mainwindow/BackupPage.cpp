#include "BackupPage.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <memory>

#include "backup/BackupChecks.h"
#include "backup/Frm_Backup.h"
#include "backup/Frm_BackupOptions.h"
#include "backup/Frm_BackupWhere.h"
#include "backup/SetEditor.h"
#include "backupsets/clsINI.h"
#include "common/DirListBox.h"
#include "common/DriveListBox.h"
#include "common/TorvaneError.h"
#include "common/WidgetNames.h"
#include "common/clsLog.h"
#include "mainwindow/PageWidgets.h"

namespace torvane {

BackupPage::BackupPage(AppContext& context, QWidget* parent)
    : MainWindowPage(parent), context_(context) {
    Fra_Backup = named(new QGroupBox(this), "Fra_Backup");
    Cmb_BackupSet =
        tipped(named(new QComboBox(Fra_Backup), "Cmb_BackupSet"), "Select an Existing Backup Set");
    Dri_DriveList = tipped(named(new DriveListBox(context_.host, Fra_Backup), "Dri_DriveList"),
                           "Select the Drive that you wish to Backup");
    Dir_DirList = tipped(named(new DirListBox(context_.host, Fra_Backup), "Dir_DirList"),
                         "Select a Folder that you wish to Backup");
    Lbl_FilestoBackup = sunkenLabel("Lbl_FilestoBackup", Fra_Backup);
    Lbl_FilestoBackup->setToolTip("Displays the File Types that you wish to Backup");
    Lbl_Exclusions = tipped(sunkenLabel("Lbl_Exclusions", Fra_Backup),
                            "Displays the Files and Folders left out of the Backup");
    Lbl_Exclusions->hide();
    Lbl_BackupFileName = sunkenLabel("Lbl_BackupFileName", Fra_Backup);
    Lbl_BackupFileName->setToolTip("The Name of the Backup File");
    Fld_BackupWhere = sunkenLabel("Fld_BackupWhere", Fra_Backup);
    Fld_BackupWhere->setToolTip("Location of the Backup File");
    Fld_BackupOptions = sunkenLabel("Fld_BackupOptions", Fra_Backup);
    Fld_BackupOptions->setToolTip("Displays the Backup Options");
    for (int i = 0; i < 3; ++i) {
        Cmd_Options[i] = new QPushButton("...", Fra_Backup);
        Cmd_Options[i]->setObjectName(QString("Cmd_Options_%1").arg(i));
        Cmd_Options[i]->setFixedWidth(32);
        if (i == 0)
            spoken(Cmd_Options[i], "Edit Files to Backup");
        else
            tipped(Cmd_Options[i], "Edit Options");
        connect(Cmd_Options[i], &QPushButton::clicked, this, &BackupPage::Cmd_Options_Click);
    }
    Cmd_Navigate = spoken(named(new QPushButton("...", Fra_Backup), "Cmd_Navigate"),
                          "Choose where to Backup To");
    Cmd_Navigate->setFixedWidth(32);
    Cmd_Change = named(new QPushButton("&Change Settings", Fra_Backup), "Cmd_Change");
    Cmd_AddNew = named(new QPushButton("New Backup", Fra_Backup), "Cmd_AddNew");
    Cmd_Backup = named(new QPushButton("&Backup Now", Fra_Backup), "Cmd_Backup");
    Cmd_Backup->setToolTip("Start the Backup Now!");

    auto* grid = new QGridLayout(Fra_Backup);
    grid->addWidget(new QLabel("Backup Set", Fra_Backup), 0, 0);
    grid->addWidget(Cmb_BackupSet, 0, 1, 1, 2);
    grid->addWidget(Cmd_AddNew, 0, 3);
    grid->addWidget(Dri_DriveList, 1, 0, 1, 2);
    grid->addWidget(Dir_DirList, 2, 0, 5, 2);
    grid->addWidget(new QLabel("Files to Backup", Fra_Backup), 1, 2);
    // A pattern is a few characters; the exclusions take the room beside it.
    Lbl_FilestoBackup->setMinimumWidth(100);
    Lbl_Exclusions->setMinimumWidth(340);
    auto* pattern = new QHBoxLayout;
    pattern->addWidget(Lbl_FilestoBackup, 1);
    pattern->addWidget(Lbl_Exclusions, 3);
    grid->addLayout(pattern, 2, 2);
    grid->addWidget(Cmd_Options[0], 2, 3);
    grid->addWidget(new QLabel("Backup File Name", Fra_Backup), 3, 2);
    grid->addWidget(Lbl_BackupFileName, 4, 2);
    grid->addWidget(Cmd_Options[1], 4, 3);
    grid->addWidget(new QLabel("Backup To", Fra_Backup), 5, 2);
    grid->addWidget(Fld_BackupWhere, 6, 2);
    grid->addWidget(Cmd_Navigate, 6, 3);
    grid->addWidget(new QLabel("Options", Fra_Backup), 7, 2);
    grid->addWidget(Fld_BackupOptions, 8, 2);
    grid->addWidget(Cmd_Options[2], 8, 3);
    grid->addWidget(Cmd_Change, 9, 0);
    grid->addWidget(Cmd_Backup, 9, 2, 1, 2);
    (new QVBoxLayout(this))->addWidget(Fra_Backup);

    connect(Cmb_BackupSet, &QComboBox::activated, this, &BackupPage::Cmb_BackupSet_Click);
    connect(Cmd_Change, &QPushButton::clicked, this, &BackupPage::Cmd_Change_Click);
    connect(Cmd_Navigate, &QPushButton::clicked, this, &BackupPage::Cmd_Navigate_Click);
    connect(Cmd_AddNew, &QPushButton::clicked, this, &BackupPage::Cmd_AddNew_Click);
    connect(Cmd_Backup, &QPushButton::clicked, this, &BackupPage::Cmd_Backup_Click);
    connect(Dir_DirList, &DirListBox::pathChanged, this, [this](const QString&, bool byUser) {
        if (byUser) Dir_DirList_Change();
    });
    connect(Dri_DriveList, &DriveListBox::driveChanged, this,
            [this](const QString& text, bool byUser) {
                if (byUser) Dri_DriveList_Change(text);
            });

    showProgramRoot();
    Backup_EditMode(false);
}

void BackupPage::showProgramRoot() {
    const QString programRoot =
        QString::fromStdString(context_.host.programFolder().substr(0, 2) + "\\");
    Dri_DriveList->setDrive(programRoot);
    Dir_DirList->setPath(programRoot);
}

void BackupPage::listSets(const std::vector<std::string>& names) {
    for (const std::string& name : names) Cmb_BackupSet->addItem(QString::fromStdString(name));
    Cmb_BackupSet->setCurrentIndex(-1);
}

bool BackupPage::selectListed(const QString& name) {
    const int index = Cmb_BackupSet->findText(name, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index < 0) return false;
    Cmb_BackupSet->setCurrentIndex(index);
    // Shown once the event loop runs, so its messages come over the window rather than before it.
    QTimer::singleShot(0, this, &BackupPage::Cmb_BackupSet_Click);
    return true;
}

void BackupPage::selectBackupSet(const QString& name) {
    // The set box keeps the name as given: an unattended run names its set in the log exactly as
    // its command line did, whatever the case of the file.
    int index = Cmb_BackupSet->findText(name, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index < 0) {
        Cmb_BackupSet->addItem(name);
        index = Cmb_BackupSet->count() - 1;
    }
    Cmb_BackupSet->setCurrentIndex(index);
    Cmb_BackupSet_Click();
}

QString BackupPage::selectedSet() const {
    return Cmb_BackupSet->currentIndex() >= 0 ? Cmb_BackupSet->currentText() : QString();
}

void BackupPage::showError(const std::string& description) {
    context_.prompts.message(
        {description, MsgButtons::Ok, MsgIcon::Critical, MsgAnswer::Ok, "Error"});
}

void BackupPage::Cmb_BackupSet_Click() {
    QApplication::processEvents();
    SetView view;
    try {
        view = showSet(context_, Cmb_BackupSet->currentText().toStdString(), unattended());
    } catch (const TorvaneError& e) {
        // Nothing of the previous set stays on show under this set's name.
        Backup_EditMode(false);
        for (QLabel* label :
             {Lbl_FilestoBackup, Lbl_BackupFileName, Fld_BackupWhere, Fld_BackupOptions})
            label->clear();
        showExclusions(Lbl_Exclusions, "");
        if (!unattended()) showError(e.description());
        return;
    }
    Fld_BackupWhere->setText(QString::fromStdString(view.backupWhere));
    if (view.stopped) return;
    for (const MessageRequest& message : view.messages) context_.prompts.message(message);
    Backup_EditMode(false);
    Dri_DriveList->setDrive(QString::fromStdString(view.driveRoot));
    if (!Dir_DirList->setPath(QString::fromStdString(view.folder)))
        Dir_DirList->setPath(QString::fromStdString(view.driveRoot));
    Lbl_FilestoBackup->setText(QString::fromStdString(view.filesToBackup));
    showExclusions(Lbl_Exclusions, view.exclusions);
    Lbl_BackupFileName->setText(QString::fromStdString(view.backupFileName));
    Fld_BackupWhere->setText(QString::fromStdString(view.backupWhere));
    Fld_BackupOptions->setText(QString::fromStdString(view.options));
}

void BackupPage::Backup_EditMode(bool bEditMode) {
    for (QPushButton* b : Cmd_Options) b->setEnabled(bEditMode);
    Dri_DriveList->setEnabled(bEditMode);
    Dir_DirList->setEnabled(bEditMode);
    Cmd_Navigate->setEnabled(bEditMode);
    Cmd_Change->setEnabled(!bEditMode);
}

void BackupPage::Cmd_Change_Click() { Backup_EditMode(true); }

void BackupPage::Dir_DirList_Change() {
    if (Cmb_BackupSet->currentText().isEmpty()) return;
    try {
        const std::string used = recordSourceFolder(
            context_, Cmb_BackupSet->currentText().toStdString(), Dir_DirList->path().toStdString(),
            Lbl_FilestoBackup->text().toStdString());
        Lbl_FilestoBackup->setText(QString::fromStdString(used));
    } catch (const TorvaneError& e) {
        showError(e.description());
    }
}

void BackupPage::Dri_DriveList_Change(const QString& driveText) {
    // A drive that is not ready leaves the folder list where it was.
    if (Dir_DirList->setPath(driveText.left(2) + "\\")) Dir_DirList_Change();
}

void BackupPage::Cmd_Options_Click() {
    if (Cmb_BackupSet->currentText().isEmpty()) {
        context_.prompts.message({"Please select a Backup Configuration first.", MsgButtons::Ok,
                                  MsgIcon::Information, MsgAnswer::Ok, "Backup"});
        return;
    }
    std::unique_ptr<Frm_BackupOptions> dialog;
    try {
        dialog = std::make_unique<Frm_BackupOptions>(
            context_, Cmb_BackupSet->currentText(),
            BackupLabels{Fld_BackupWhere, Fld_BackupOptions, Lbl_FilestoBackup, Lbl_BackupFileName,
                         Lbl_Exclusions},
            this);
    } catch (const TorvaneError& e) {
        showError(e.description());
        return;
    }
    dialog->exec();
}

void BackupPage::Cmd_Navigate_Click() {
    if (Cmb_BackupSet->currentText().isEmpty()) {
        context_.prompts.message({"Please select a Backup Configuration.", MsgButtons::Ok,
                                  MsgIcon::Information, MsgAnswer::Ok, "Backup"});
        return;
    }
    Frm_BackupWhere dialog(context_, Cmb_BackupSet->currentText(), Fld_BackupWhere, this);
    dialog.exec();
}

void BackupPage::Cmd_AddNew_Click() {
    const auto answer = context_.prompts.input("Please enter the name of the Configuration File.",
                                               "New Configuration", "");
    if (!answer || answer->empty()) return;
    const QString name = QString::fromStdString(newSetFileName(*answer));
    for (const std::string& existing : listSetFiles(context_)) {
        if (QString::fromStdString(existing).compare(name, Qt::CaseInsensitive) != 0) continue;
        context_.prompts.message(setExistsMessage());
        selectBackupSet(QString::fromStdString(existing));
        return;
    }
    showProgramRoot();
    Fld_BackupWhere->setText(
        QString::fromStdString(context_.host.programFolder().substr(0, 2) + "\\"));
    Fld_BackupOptions->setText("SubDir=ON, MultiVolume=OFF, Time=ON");
    try {
        clsINI(context_).Create_INI(name.toStdString());
    } catch (const TorvaneError& e) {
        showError(e.description());
        return;
    }
    Cmb_BackupSet->addItem(name);
    emit setCreated(name);
    selectBackupSet(name);
}

bool BackupPage::stopBackups() {
    stopping_ = true;
    if (!activeBackup_) return false;
    activeBackup_->endWithoutWaiting();
    return true;
}

void BackupPage::Cmd_Backup_Click() {
    lastResult_ = RunResult::Failed;
    Backup_EditMode(false);
    const BackupScreen screen{Cmb_BackupSet->currentText().toStdString(),
                              Fld_BackupWhere->text().toStdString()};
    try {
        if (unattended()) {
            if (const auto failure = unattendedBackupRefusal(context_, screen)) {
                clsLog log(context_, LogFlavour::utility());
                log.WriteToLog("Backup", true, "Starting Backup " + screen.setName);
                log.WriteToLog("Backup", true, "Finished Backup " + screen.setName);
                log.WriteToLog("Backup", true, *failure);
                lastUnattendedRun_ = RunOutcome::failed(*failure);
                return;
            }
        } else {
            if (const auto refusal = interactiveBackupRefusal(context_, screen)) {
                context_.prompts.message(*refusal);
                return;
            }
            if (context_.prompts.message(backupConfirmation()) != MsgAnswer::Yes) return;
        }
    } catch (const TorvaneError& e) {
        if (!unattended()) showError(e.description());
        lastUnattendedRun_ = RunOutcome::failed("Backup Failed - " + e.description());
        return;
    }
    Frm_Backup progress(context_, Cmb_BackupSet->currentText(), unattended(), this);
    if (adjust_) progress.setRequestAdjuster(adjust_);
    activeBackup_ = &progress;
    if (stopping_) progress.endWithoutWaiting();
    progress.exec();
    lastResult_ = progress.result();
    lastUnattendedRun_ = RunOutcome::of(lastResult_, progress.status());
    activeBackup_ = nullptr;
    emit backupEnded();
}

}  // namespace torvane
