#pragma once

#include "common/AppContext.h"
#include "mainwindow/MainWindowPage.h"

class QGroupBox;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace torvane {

// The INI Edit page: the set files of the program folder and the text of one of them.
class IniEditPage : public MainWindowPage {
    Q_OBJECT
  public:
    explicit IniEditPage(AppContext& context, QWidget* parent = nullptr);

    QGroupBox* Fra_INIFileList;
    QListWidget* Fil_INI;
    QGroupBox* Fra_INIEdit;
    QPlainTextEdit* Fld_INI;
    QPushButton* Cmd_Save;

  private:
    AppContext& context_;
};

}  // namespace torvane
