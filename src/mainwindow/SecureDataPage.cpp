#include "SecureDataPage.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QStyle>
#include <QTreeView>
#include <QVBoxLayout>

#include "backupsets/TextBox.h"
#include "backupsets/clsFiles.h"
#include "common/DriveListBox.h"
#include "common/TorvaneError.h"
#include "common/WidgetNames.h"
#include "mainwindow/Hourglass.h"
#include "mainwindow/PageWidgets.h"
#include "mainwindow/SecureFolderModel.h"
#include "restore/clsCfg.h"
#include "restore/clsInfo.h"

namespace torvane {

namespace {

class PlainTextBox : public TextBox {
  public:
    explicit PlainTextBox(QPlainTextEdit* edit) : edit_(edit) {}
    void setText(const std::string& text) override {
        edit_->setPlainText(QString::fromStdString(text));
    }

  private:
    QPlainTextEdit* edit_;
};

// Folder, folder while selected, protected folder: the last is the folder with a padlock.
std::vector<QPixmap> securePictures(const QStyle* style) {
    const QPixmap folder = style->standardIcon(QStyle::SP_DirIcon).pixmap(16, 16);
    const QPixmap open = style->standardIcon(QStyle::SP_DirOpenIcon).pixmap(16, 16);
    QPixmap locked = folder;
    QPainter painter(&locked);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(120, 20, 20), 1.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawArc(QRectF(8.5, 5.5, 5, 6), 0, 180 * 16);
    painter.setBrush(QColor(190, 30, 30));
    painter.drawRect(QRectF(7.5, 8.5, 7, 6));
    painter.end();
    return {folder, open, locked};
}

}  // namespace

SecureDataPage::SecureDataPage(AppContext& context, QWidget* parent)
    : MainWindowPage(parent), context_(context) {
    Fra_SecureData = named(new QGroupBox(this), "Fra_SecureData");
    Dri_SecureMode =
        tipped(named(new DriveListBox(context_.host, Fra_SecureData), "Dri_SecureMode"),
               "Select the Drive whose Folders you wish to Protect");
    ImgList_Secure = securePictures(style());
    folders_ = new SecureFolderModel(context_, ImgList_Secure, this);
    TV_SecureMode =
        spoken(named(new QTreeView(Fra_SecureData), "TV_SecureMode"), "Folders of the Drive");
    TV_SecureMode->setModel(folders_);
    TV_SecureMode->setHeaderHidden(true);
    TV_SecureMode->setUniformRowHeights(true);
    TV_SecureMode->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TV_SecureMode->setContextMenuPolicy(Qt::CustomContextMenu);
    SSP_PleaseWait = named(new QLabel("Please Wait...\nLoading Folder Structure", Fra_SecureData),
                           "SSP_PleaseWait");
    SSP_PleaseWait->setAlignment(Qt::AlignCenter);
    SSP_PleaseWait->setFrameShape(QFrame::Panel);
    SSP_PleaseWait->hide();  // shown while a folder tree is being built
    SSP_ProgressSecure = spoken(named(new QProgressBar(Fra_SecureData), "SSP_ProgressSecure"),
                                "Progress of the Folder Structure");
    SSP_ProgressSecure->setRange(0, 100);
    SSP_ProgressSecure->setValue(0);
    Fld_SecureData =
        spoken(named(new QPlainTextEdit(Fra_SecureData), "Fld_SecureData"), "Protected Folders");
    Fld_SecureData->setReadOnly(true);
    PlainTextBox box(Fld_SecureData);
    clsInfo().SecureData(box);

    Menu_Secure = named(new QMenu("&Secure", this), "Menu_Secure");
    Menu_Secure_Add = Menu_Secure->addAction("&Add Protected Item");
    Menu_Secure_Add->setObjectName("Menu_Secure_Add");
    Menu_Secure_Delete = Menu_Secure->addAction("&Delete Protected Item");
    Menu_Secure_Delete->setObjectName("Menu_Secure_Delete");

    auto* tree = new QVBoxLayout;
    tree->addWidget(Dri_SecureMode);
    tree->addWidget(TV_SecureMode, 1);
    tree->addWidget(SSP_PleaseWait, 1);
    tree->addWidget(SSP_ProgressSecure);
    auto* columns = new QHBoxLayout(Fra_SecureData);
    columns->addLayout(tree, 1);
    columns->addWidget(Fld_SecureData, 1);
    (new QVBoxLayout(this))->addWidget(Fra_SecureData);

    connect(Dri_SecureMode, &DriveListBox::driveChanged, this,
            [this](const QString& text, bool byUser) {
                if (byUser) Dri_SecureMode_Change(text);
            });
    // A node's subfolders are read the moment it is expanded, even before the view lays out.
    connect(TV_SecureMode, &QTreeView::expanded, this, [this](const QModelIndex& node) {
        if (folders_->canFetchMore(node)) folders_->fetchMore(node);
    });
    connect(TV_SecureMode, &QWidget::customContextMenuRequested, this,
            &SecureDataPage::TV_SecureMode_RightClick);
    connect(Menu_Secure, &QMenu::aboutToShow, this, &SecureDataPage::enableSecureMenu);
    connect(Menu_Secure_Add, &QAction::triggered, this, &SecureDataPage::Menu_Secure_Add_Click);
    connect(Menu_Secure_Delete, &QAction::triggered, this,
            &SecureDataPage::Menu_Secure_Delete_Click);
}

void SecureDataPage::showError(const std::string& description) {
    context_.prompts.message(
        {description, MsgButtons::Ok, MsgIcon::Critical, MsgAnswer::Ok, "Error"});
}

void SecureDataPage::View_Secure() {
    try {
        clsCfg(context_).CreateIfMissing();
    } catch (const TorvaneError& e) {
        showError(e.description());
    }
    if (folders_->rowCount() > 0) return;
    const QString programRoot = QString::fromStdString(context_.host.programFolder().substr(0, 3));
    Dri_SecureMode->setDrive(programRoot);
    repaint();
    Dri_SecureMode_Change(Dri_SecureMode->drive());
}

void SecureDataPage::Dri_SecureMode_Change(const QString& driveText) {
    const std::string root = driveText.left(2).toUpper().toStdString() + "\\";
    if (!clsFiles(context_).Exist(root, false)) {
        folders_->clear();
        return;
    }
    Hourglass hourglass;
    SSP_PleaseWait->show();
    TV_SecureMode->hide();
    repaint();
    try {
        folders_->showDrive(root, [this](int percent) { SSP_ProgressSecure->setValue(percent); });
    } catch (const std::exception& e) {
        folders_->clear();
        hourglass.end();
        showError(e.what());
    }
    SSP_ProgressSecure->setValue(0);
    SSP_PleaseWait->hide();
    TV_SecureMode->show();
}

void SecureDataPage::enableSecureMenu() {
    const QModelIndex node = TV_SecureMode->currentIndex();
    const bool isProtected =
        node.data(SecureFolderModel::kPictureRole).toInt() == SecureFolderModel::kProtectedPicture;
    Menu_Secure_Add->setEnabled(node.isValid() && !isProtected);
    Menu_Secure_Delete->setEnabled(node.isValid() && isProtected);
}

void SecureDataPage::TV_SecureMode_RightClick(const QPoint& pos) {
    enableSecureMenu();
    Menu_Secure->popup(TV_SecureMode->viewport()->mapToGlobal(pos));
}

void SecureDataPage::Menu_Secure_Add_Click() {
    const QModelIndex node = TV_SecureMode->currentIndex();
    if (!node.isValid()) return;
    try {
        if (const auto refusal = secureAdd(context_, folders_->tag(node))) {
            context_.prompts.message(*refusal);
            return;
        }
    } catch (const TorvaneError& e) {
        showError(e.description());
        return;
    }
    folders_->setProtected(node, true);
}

void SecureDataPage::Menu_Secure_Delete_Click() {
    const QModelIndex node = TV_SecureMode->currentIndex();
    if (!node.isValid()) return;
    try {
        secureDelete(context_, folders_->tag(node));
    } catch (const TorvaneError& e) {
        showError(e.description());
        return;
    }
    folders_->setProtected(node, false);
}

}  // namespace torvane
