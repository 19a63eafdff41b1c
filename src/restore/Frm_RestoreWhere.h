#pragma once

#include "backup/FolderChooser.h"

class QLabel;

namespace torvane {

// "Restore To Where?": picks the folder a restore goes into, and can make a new one. OK puts
// the folder, in upper case, into the Restore page's destination field.
class Frm_RestoreWhere : public FolderChooser {
    Q_OBJECT
  public:
    Frm_RestoreWhere(AppContext& context, QLabel* fldRestoreTo, QWidget* parent = nullptr);

  public slots:
    void Cmd_Ok_Click() override;

  protected:
    void load() override;

  private:
    QLabel* fldRestoreTo_;
};

}  // namespace torvane
