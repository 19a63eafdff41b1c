#include "Frm_EmailSettings.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/WidgetNames.h"
#include "mainwindow/MailSettings.h"

namespace torvane {

namespace {

QLineEdit* field(const char* name, const std::string& value, const QString& tip, QWidget* parent) {
    auto* edit = named(new QLineEdit(QString::fromStdString(value), parent), name);
    edit->setToolTip(tip);
    return edit;
}

}  // namespace

Frm_EmailSettings::Frm_EmailSettings(AppContext& context, QWidget* parent)
    : QDialog(parent), context_(context) {
    setObjectName("Frm_EmailSettings");
    setWindowTitle("E-Mail Settings");
    const MailSettings s = MailSettings::load(context_.host.settingsFolder());
    Txt_Server = field("Txt_Server", s.server,
                       "smtp://host:port, or smtps://host:port for TLS from the start", this);
    Chk_StartTLS = named(new QCheckBox("Switch to &TLS with STARTTLS", this), "Chk_StartTLS");
    Chk_StartTLS->setChecked(s.startTls);
    Txt_User = field("Txt_User", s.user, "Leave empty when the server needs no login", this);
    Txt_Password = field("Txt_Password", s.password, "Password of the login", this);
    Txt_Password->setEchoMode(QLineEdit::Password);
    Txt_Sender = field("Txt_Sender", s.sender, "The address the log is sent from", this);
    Txt_Recipient = field("Txt_Recipient", s.recipient, "The address the log is sent to", this);
    Txt_Certificate =
        field("Txt_Certificate", s.certificate,
              "A certificate file to trust for a server whose certificate is its own; "
              "empty to trust the system's authorities",
              this);
    Chk_MailOnFailure = named(new QCheckBox("Mail on failure", this), "Chk_MailOnFailure");
    Chk_MailOnFailure->setToolTip(
        "Send the log, without asking, when a scheduled backup fails or skips files");
    Chk_MailOnFailure->setChecked(s.mailOnFailure);
    Cmd_OK = named(new QPushButton("OK", this), "Cmd_OK");
    Cmd_OK->setDefault(true);
    Cmd_Cancel = named(new QPushButton("Cancel", this), "Cmd_Cancel");

    auto* form = new QFormLayout;
    form->addRow("Mail &Server", Txt_Server);
    form->addRow("", Chk_StartTLS);
    form->addRow("&User", Txt_User);
    form->addRow("&Password", Txt_Password);
    form->addRow("Se&nder", Txt_Sender);
    form->addRow("&Recipient", Txt_Recipient);
    form->addRow("&Certificate", Txt_Certificate);
    form->addRow("", Chk_MailOnFailure);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Cmd_OK);
    buttons->addWidget(Cmd_Cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    resize(420, sizeHint().height());

    connect(Cmd_OK, &QPushButton::clicked, this, &Frm_EmailSettings::Cmd_OK_Click);
    connect(Cmd_Cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void Frm_EmailSettings::Cmd_OK_Click() {
    MailSettings s;
    s.server = Txt_Server->text().trimmed().toStdString();
    s.startTls = Chk_StartTLS->isChecked();
    s.user = Txt_User->text().toStdString();
    s.password = Txt_Password->text().toStdString();
    s.sender = Txt_Sender->text().trimmed().toStdString();
    s.recipient = Txt_Recipient->text().trimmed().toStdString();
    s.certificate = Txt_Certificate->text().trimmed().toStdString();
    s.mailOnFailure = Chk_MailOnFailure->isChecked();
    if (const std::string problem = mailSettingsProblem(s); !problem.empty()) {
        context_.prompts.message(
            {problem, MsgButtons::Ok, MsgIcon::Exclamation, MsgAnswer::Ok, "E-Mail Settings"});
        return;
    }
    try {
        s.save(context_.host.settingsFolder());
    } catch (const std::exception& e) {
        context_.prompts.message(
            {e.what(), MsgButtons::Ok, MsgIcon::Critical, MsgAnswer::Ok, "Error"});
        return;
    }
    accept();
}

}  // namespace torvane
