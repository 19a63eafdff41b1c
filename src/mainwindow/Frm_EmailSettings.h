#pragma once

#include <QDialog>

#include "common/AppContext.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace torvane {

// The "E-Mail Settings" dialog: the mail server, its login, and who sends the log to whom.
// OK stores the settings once they can be used.
class Frm_EmailSettings : public QDialog {
    Q_OBJECT
  public:
    explicit Frm_EmailSettings(AppContext& context, QWidget* parent = nullptr);

    QLineEdit* Txt_Server;
    QCheckBox* Chk_StartTLS;
    QLineEdit* Txt_User;
    QLineEdit* Txt_Password;
    QLineEdit* Txt_Sender;
    QLineEdit* Txt_Recipient;
    QLineEdit* Txt_Certificate;
    QCheckBox* Chk_MailOnFailure;
    QPushButton* Cmd_OK;
    QPushButton* Cmd_Cancel;

  public slots:
    void Cmd_OK_Click();

  private:
    AppContext& context_;
};

}  // namespace torvane
