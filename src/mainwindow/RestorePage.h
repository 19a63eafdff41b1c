#pragma once

#include <functional>
#include <string>
#include <vector>

#include "common/AppContext.h"
#include "mainwindow/MainWindowPage.h"
#include "zip/ZipEngine.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTreeView;

namespace torvane {

class ArchiveListModel;
class Frm_Restore;

// The Restore page: which set or archive to restore, where to, the archive's listing, and the
// restore run.
class RestorePage : public MainWindowPage {
    Q_OBJECT
  public:
    explicit RestorePage(AppContext& context, QWidget* parent = nullptr);

    QGroupBox* Fra_RestoreFull;
    QComboBox* Cmb_RestoreFile;
    QLabel* Fld_RestoreFile;
    QPushButton* Cmd_RestoreFile;
    QLabel* Fld_RestoreTo;
    QPushButton* Cmd_RestoreTo;
    QTreeView* TV_Restore;
    QLabel* Fld_Total;
    QProgressBar* SSP_TotalFiles;
    QPushButton* Cmd_Restore;

    // Fills the set box at load, leaving nothing selected.
    void listSets(const std::vector<std::string>& names);
    void addSet(const QString& name);
    // Lists an archive (drive path) into TV_Restore and its member count into Fld_Total; a
    // path that names no file leaves the listing hidden and empty.
    void ShowZipContents(const std::string& sPath);
    ArchiveListModel* listing() const { return listing_; }

    // Test seam passed to each restore's progress window.
    void setRestoreAdjuster(std::function<void(zip::RestoreRequest&)> adjust) {
        adjust_ = std::move(adjust);
    }
    Frm_Restore* activeRestore() const { return activeRestore_; }
    // Ends a running restore without waiting, and any restore started after this at once.
    // Returns whether one was running.
    bool stopRestores();

  signals:
    // A restore's progress window has closed.
    void restoreEnded();

  public slots:
    void Cmb_RestoreFile_Click();
    void Cmd_RestoreFile_Click();
    void Cmd_RestoreTo_Click();
    void Cmd_Restore_Click();

  private:
    void buildLayout();
    void clearListing();
    std::string selectedSet() const;
    std::function<bool(int)> diskRequest();
    void showError(const std::string& description);

    AppContext& context_;
    ArchiveListModel* listing_;
    Frm_Restore* activeRestore_ = nullptr;
    bool stopping_ = false;
    std::function<void(zip::RestoreRequest&)> adjust_;
};

}  // namespace torvane
