#pragma once

#include <QDialog>

#include "common/AppContext.h"

class QPushButton;

namespace torvane {

class DirListBox;
class DriveListBox;

// A dialog that picks a folder with a drive list and a folder list, and can make a new folder
// inside the one shown. What the folder is for, and what OK does with it, is the subclass's.
class FolderChooser : public QDialog {
    Q_OBJECT
  public:
    FolderChooser(AppContext& context, const char* objectName, const QString& title,
                  QWidget* parent = nullptr);

    DriveListBox* Dri_DriveList;
    DirListBox* Dir_DirList;
    QPushButton* Cmd_NewFolder;
    QPushButton* Cmd_Ok;
    QPushButton* Cmd_Cancel;

    // Positions the lists on the current choice; may show a message, so it runs once the
    // dialog is shown (or from a test).
    void Form_Load();

  public slots:
    void Cmd_NewFolder_Click();
    virtual void Cmd_Ok_Click() = 0;

  protected:
    virtual void load() = 0;
    std::string programRoot() const;

    AppContext& context_;

  private:
    void Dri_DriveList_Change(const QString& driveText);

    bool loaded_ = false;
};

}  // namespace torvane
