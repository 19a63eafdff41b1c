#pragma once

#include <string>
#include <vector>

#include "common/AppContext.h"
#include "mainwindow/MainWindowPage.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QTreeWidget;

namespace torvane {

// The Restore page: which set or archive to restore, where to, and the archive's listing.
class RestorePage : public MainWindowPage {
    Q_OBJECT
  public:
    explicit RestorePage(AppContext& context, QWidget* parent = nullptr);

    QGroupBox* Fra_RestoreFull;
    QComboBox* Cmb_RestoreFile;
    QLabel* Fld_RestoreFile;
    QLabel* Fld_RestoreTo;
    QTreeWidget* TV_Restore;

    // Fills the set box at load, leaving nothing selected.
    void listSets(const std::vector<std::string>& names);
    void addSet(const QString& name);

  private:
    AppContext& context_;
};

}  // namespace torvane
