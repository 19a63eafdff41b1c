#pragma once

#include "common/AppContext.h"
#include "mainwindow/MainWindowPage.h"

class QGroupBox;
class QLabel;

namespace torvane {

// The Secure Data page: the protected folders and what protection means.
class SecureDataPage : public MainWindowPage {
    Q_OBJECT
  public:
    explicit SecureDataPage(AppContext& context, QWidget* parent = nullptr);

    QGroupBox* Fra_SecureData;
    QLabel* SSP_PleaseWait;
    QLabel* Fld_SecureData;

  private:
    AppContext& context_;
};

}  // namespace torvane
