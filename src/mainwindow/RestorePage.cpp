#include "RestorePage.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

#include "backupsets/clsFiles.h"
#include "common/TorvaneError.h"
#include "common/WidgetNames.h"
#include "mainwindow/ArchiveListModel.h"
#include "mainwindow/Hourglass.h"
#include "mainwindow/PageWidgets.h"
#include "restore/Frm_Restore.h"
#include "restore/Frm_RestoreWhere.h"
#include "restore/RestoreSelection.h"

namespace torvane {

namespace {

QLabel* caption(const char* text, const char* name, QWidget* buddy, QWidget* parent) {
    auto* label = named(new QLabel(text, parent), name);
    label->setBuddy(buddy);
    return label;
}

// The engine names archives by host path; the user knows them by drive path.
std::string inDriveTerms(std::string reason, const std::string& hostPath,
                         const std::string& drivePath) {
    for (size_t at = reason.find(hostPath); !hostPath.empty() && at != std::string::npos;
         at = reason.find(hostPath, at + drivePath.size()))
        reason.replace(at, hostPath.size(), drivePath);
    return reason;
}

}  // namespace

RestorePage::RestorePage(AppContext& context, QWidget* parent)
    : MainWindowPage(parent), context_(context) {
    Fra_RestoreFull = named(new QGroupBox(this), "Fra_RestoreFull");
    Cmb_RestoreFile =
        spoken(named(new QComboBox(Fra_RestoreFull), "Cmb_RestoreFile"), "Backup Set");
    Fld_RestoreFile = sunkenLabel("Fld_RestoreFile", Fra_RestoreFull);
    Cmd_RestoreFile = tipped(named(new QPushButton("...", Fra_RestoreFull), "Cmd_RestoreFile"),
                             "Browse for a Zip File to Restore");
    Cmd_RestoreFile->setFixedWidth(32);
    Fld_RestoreTo = sunkenLabel("Fld_RestoreTo", Fra_RestoreFull);
    Cmd_RestoreTo = spoken(named(new QPushButton("...", Fra_RestoreFull), "Cmd_RestoreTo"),
                           "Choose where to Restore To");
    Cmd_RestoreTo->setFixedWidth(32);
    listing_ = new ArchiveListModel(this);
    TV_Restore =
        spoken(named(new QTreeView(Fra_RestoreFull), "TV_Restore"), "Contents of the Backup File");
    TV_Restore->setModel(listing_);
    TV_Restore->setRootIsDecorated(false);
    // Every row the same height and fixed column widths: the view never measures all rows.
    TV_Restore->setUniformRowHeights(true);
    TV_Restore->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TV_Restore->header()->setStretchLastSection(false);
    TV_Restore->header()->setSectionResizeMode(ArchiveListModel::kName, QHeaderView::Stretch);
    TV_Restore->header()->resizeSection(ArchiveListModel::kSize, 90);
    TV_Restore->header()->resizeSection(ArchiveListModel::kModified, 140);
    Fld_Total = tipped(sunkenLabel("Fld_Total", Fra_RestoreFull),
                       "Number of Files found in the Restore File");
    Fld_Total->setMinimumWidth(80);
    Fld_Total->setText("0");
    SSP_TotalFiles = tipped(named(new QProgressBar(Fra_RestoreFull), "SSP_TotalFiles"),
                            "Total Number of Files found in Restore File");
    SSP_TotalFiles->setRange(0, 100);
    SSP_TotalFiles->setValue(0);
    Cmd_Restore = named(new QPushButton("&Restore Now", Fra_RestoreFull), "Cmd_Restore");
    buildLayout();

    connect(Cmb_RestoreFile, &QComboBox::activated, this, &RestorePage::Cmb_RestoreFile_Click);
    connect(Cmd_RestoreFile, &QPushButton::clicked, this, &RestorePage::Cmd_RestoreFile_Click);
    connect(Cmd_RestoreTo, &QPushButton::clicked, this, &RestorePage::Cmd_RestoreTo_Click);
    connect(Cmd_Restore, &QPushButton::clicked, this, &RestorePage::Cmd_Restore_Click);
}

void RestorePage::buildLayout() {
    auto* grid = new QGridLayout(Fra_RestoreFull);
    grid->addWidget(caption("&Backup Set", "Lbl_RestoreSet", Cmb_RestoreFile, Fra_RestoreFull), 0,
                    0);
    grid->addWidget(Cmb_RestoreFile, 0, 1);
    grid->addWidget(
        caption("&What to Restore?", "Lbl_RestoreFile", Cmd_RestoreFile, Fra_RestoreFull), 1, 0);
    grid->addWidget(Fld_RestoreFile, 1, 1);
    grid->addWidget(Cmd_RestoreFile, 1, 2);
    grid->addWidget(
        caption("W&here to Restore To?", "Lbl_RestoreTo", Cmd_RestoreTo, Fra_RestoreFull), 2, 0);
    grid->addWidget(Fld_RestoreTo, 2, 1);
    grid->addWidget(Cmd_RestoreTo, 2, 2);
    grid->addWidget(TV_Restore, 3, 0, 1, 3);
    auto* totals = new QHBoxLayout;
    totals->addWidget(caption("No. Of Files", "Lbl_NoOfFiles", Fld_Total, Fra_RestoreFull));
    totals->addWidget(Fld_Total);
    totals->addWidget(SSP_TotalFiles, 1);
    totals->addWidget(Cmd_Restore);
    grid->addLayout(totals, 4, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    (new QVBoxLayout(this))->addWidget(Fra_RestoreFull);
}

void RestorePage::listSets(const std::vector<std::string>& names) {
    for (const std::string& name : names) addSet(QString::fromStdString(name));
    Cmb_RestoreFile->setCurrentIndex(-1);
}

void RestorePage::addSet(const QString& name) { Cmb_RestoreFile->addItem(name); }

std::string RestorePage::selectedSet() const {
    return Cmb_RestoreFile->currentIndex() >= 0 ? Cmb_RestoreFile->currentText().toStdString()
                                                : std::string();
}

void RestorePage::showError(const std::string& description) {
    context_.prompts.message(
        {description, MsgButtons::Ok, MsgIcon::Critical, MsgAnswer::Ok, "Error"});
}

std::function<bool(int)> RestorePage::diskRequest() {
    return [this](int volume) {
        return context_.prompts.message({"Please insert disk " + std::to_string(volume) +
                                             " of the Backup into the Drive and press OK.",
                                         MsgButtons::OkCancel, MsgIcon::Information, MsgAnswer::Ok,
                                         "Restore"}) == MsgAnswer::Ok;
    };
}

void RestorePage::clearListing() {
    TV_Restore->hide();
    listing_->clear();
    Fld_Total->setText("0");
}

void RestorePage::ShowZipContents(const std::string& sPath) {
    TV_Restore->repaint();
    Hourglass hourglass;
    clearListing();
    if (!clsFiles(context_).Exist(sPath, true)) return;
    const auto archive = context_.host.resolve(sPath);
    std::vector<zip::MemberInfo> members;
    try {
        members = zip::listArchive(*archive, diskRequest());
    } catch (const std::exception& e) {
        hourglass.end();
        context_.prompts.message({"Unable to list " + sPath + context_.globals.sNewLine +
                                      context_.globals.sNewLine +
                                      inDriveTerms(e.what(), archive->string(), sPath),
                                  MsgButtons::Ok, MsgIcon::Exclamation, MsgAnswer::Ok, "Restore"});
        return;
    }
    SSP_TotalFiles->setValue(100);
    Fld_Total->setText(QString::number(members.size()));
    listing_->setMembers(std::move(members));
    SSP_TotalFiles->setValue(0);
    TV_Restore->show();
}

void RestorePage::Cmb_RestoreFile_Click() {
    const std::string setName = selectedSet();
    if (setName.empty()) return;
    Hourglass hourglass;
    SetChoice choice;
    try {
        choice = chooseRestoreSet(context_, setName);
    } catch (const TorvaneError& e) {
        hourglass.end();
        showError(e.description());
        return;
    }
    if (choice.message) {
        hourglass.end();
        context_.prompts.message(*choice.message);
        Cmb_RestoreFile->setCurrentIndex(-1);
        if (choice.clearArchive) {
            clearListing();
            Fld_RestoreFile->clear();
        }
        return;
    }
    Fld_RestoreFile->setText(QString::fromStdString(choice.archive));
    ShowZipContents(choice.archive);
}

void RestorePage::Cmd_RestoreFile_Click() {
    const std::string current = Fld_RestoreFile->text().toStdString();
    const std::string start =
        !current.empty() && clsFiles(context_).Exist(current, true) ? current : "";
    const auto chosen = context_.prompts.openFile(kRestoreFileTitle, kRestoreFileFilter, start);
    if (!chosen || chosen->empty()) return;
    Fld_RestoreFile->setText(QString::fromStdString(*chosen));
    ShowZipContents(*chosen);
    const std::string setName = selectedSet();
    try {
        if (!setName.empty() && !setKeptAfterBrowsing(context_, setName, *chosen))
            Cmb_RestoreFile->setCurrentIndex(-1);
    } catch (const TorvaneError& e) {
        Cmb_RestoreFile->setCurrentIndex(-1);
        showError(e.description());
    }
}

void RestorePage::Cmd_RestoreTo_Click() {
    if (Cmb_RestoreFile->currentText().isEmpty() && Fld_RestoreFile->text().isEmpty()) {
        context_.prompts.message(nothingToRestoreHint());
        return;
    }
    context_.prompts.message(restoreCaution(context_));
    Frm_RestoreWhere dialog(context_, Fld_RestoreTo, this);
    dialog.exec();
}

void RestorePage::Cmd_Restore_Click() {
    const RestoreScreen screen{selectedSet(), Fld_RestoreFile->text().toStdString(),
                               Fld_RestoreTo->text().toStdString()};
    if (const auto refusal = restoreRefusal(context_, screen)) {
        context_.prompts.message(*refusal);
        return;
    }
    Hourglass hourglass;
    // The protected folders are planned from the archive as it is now: it may have been
    // written again since it was listed on the page.
    std::vector<zip::MemberInfo> members;
    std::optional<std::string> listingFailure;
    try {
        const std::string archive = restoreArchivePath(context_, screen);
        if (const auto host = context_.host.resolve(archive)) {
            try {
                members = zip::listArchive(*host, diskRequest());
            } catch (const std::exception& e) {
                listingFailure = e.what();
            }
        }
    } catch (const TorvaneError& e) {
        // The set file cannot be read: it says nothing of what to restore.
        hourglass.end();
        showError(e.description());
        return;
    } catch (const std::runtime_error&) {
        // The set records no archive: the run states that as its failure.
    }
    try {
        if (const auto stop = prepareRestore(context_, screen, members)) {
            hourglass.end();
            context_.prompts.message(*stop);
            return;
        }
    } catch (const TorvaneError& e) {
        hourglass.end();
        showError(e.description());
        return;
    }
    hourglass.end();
    Frm_Restore progress(context_, screen, std::move(members), std::move(listingFailure), this);
    if (adjust_) progress.setRequestAdjuster(adjust_);
    activeRestore_ = &progress;
    if (stopping_) progress.endWithoutWaiting();
    progress.exec();
    activeRestore_ = nullptr;
    emit restoreEnded();
}

bool RestorePage::stopRestores() {
    stopping_ = true;
    if (!activeRestore_) return false;
    activeRestore_->endWithoutWaiting();
    return true;
}

}  // namespace torvane
