#pragma once

#include "common/AppContext.h"
#include "mainwindow/MainWindowPage.h"

class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace torvane {

// The Log page: the transaction log, scrolled to its newest records, and its size.
class LogPage : public MainWindowPage {
    Q_OBJECT
  public:
    explicit LogPage(AppContext& context, QWidget* parent = nullptr);

    QGroupBox* Fra_Log;
    QPlainTextEdit* Fld_Log;
    QLabel* Lbl_LogHint;
    QPushButton* Cmd_Refresh;
    QPushButton* Cmd_Email;

    void shown() override { Cmd_Refresh_Click(); }

  public slots:
    void Cmd_Refresh_Click();
    void Cmd_Email_Click();

  private:
    AppContext& context_;
};

}  // namespace torvane
