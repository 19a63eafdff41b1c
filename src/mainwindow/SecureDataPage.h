#pragma once

#include <QPixmap>
#include <vector>

#include "common/AppContext.h"
#include "mainwindow/MainWindowPage.h"

class QAction;
class QGroupBox;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QTreeView;

namespace torvane {

class DriveListBox;
class SecureFolderModel;

// The Secure Data page: the folder tree of one drive with the protected folders drawn apart,
// the pop-up menu that adds and removes them, and what protection means.
class SecureDataPage : public MainWindowPage {
    Q_OBJECT
  public:
    explicit SecureDataPage(AppContext& context, QWidget* parent = nullptr);

    QGroupBox* Fra_SecureData;
    DriveListBox* Dri_SecureMode;
    QTreeView* TV_SecureMode;
    std::vector<QPixmap> ImgList_Secure;
    QLabel* SSP_PleaseWait;
    QProgressBar* SSP_ProgressSecure;
    QPlainTextEdit* Fld_SecureData;
    QMenu* Menu_Secure;
    QAction* Menu_Secure_Add;
    QAction* Menu_Secure_Delete;

    void shown() override { View_Secure(); }
    SecureFolderModel* folders() const { return folders_; }

  public slots:
    void View_Secure();
    void Dri_SecureMode_Change(const QString& driveText);
    // The right mouse button over the tree: the menu offers what fits the selected node.
    void TV_SecureMode_RightClick(const QPoint& pos);
    void Menu_Secure_Add_Click();
    void Menu_Secure_Delete_Click();

  private:
    void enableSecureMenu();
    void showError(const std::string& description);

    AppContext& context_;
    SecureFolderModel* folders_;
};

}  // namespace torvane
