#include "LogPage.h"

#include <QApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <filesystem>
#include <system_error>

#include "backupsets/clsFiles.h"
#include "common/TorvaneError.h"
#include "common/WidgetNames.h"
#include "common/clsSystem.h"
#include "mainwindow/EightBitText.h"
#include "mainwindow/EmailLog.h"
#include "mainwindow/Frm_EmailSettings.h"
#include "mainwindow/MailSettings.h"
#include "mainwindow/MainWindowText.h"
#include "mainwindow/PageWidgets.h"

namespace torvane {

LogPage::LogPage(AppContext& context, QWidget* parent) : MainWindowPage(parent), context_(context) {
    Fra_Log = named(new QGroupBox(this), "Fra_Log");
    Fld_Log = spoken(named(new QPlainTextEdit(Fra_Log), "Fld_Log"), "Transaction Log");
    Fld_Log->setReadOnly(true);
    Fld_Log->setLineWrapMode(QPlainTextEdit::NoWrap);
    QFont courier("Courier New");
    courier.setStyleHint(QFont::Monospace);
    Fld_Log->setFont(courier);
    Lbl_LogHint = named(new QLabel(Fra_Log), "Lbl_LogHint");
    Cmd_Refresh = named(new QPushButton("&Refresh", Fra_Log), "Cmd_Refresh");
    Cmd_Refresh->setToolTip("Refresh the Log File in the View Window");
    Cmd_Email = named(new QPushButton("&E-Mail", Fra_Log), "Cmd_Email");
    Cmd_Email->setToolTip("E-Mail the LogFile to Quorrin");
    auto* row = new QHBoxLayout;
    row->addWidget(Lbl_LogHint, 1);
    row->addWidget(Cmd_Email);
    row->addWidget(Cmd_Refresh);
    auto* box = new QVBoxLayout(Fra_Log);
    box->addWidget(Fld_Log, 1);
    box->addLayout(row);
    (new QVBoxLayout(this))->addWidget(Fra_Log);
    connect(Cmd_Refresh, &QPushButton::clicked, this, &LogPage::Cmd_Refresh_Click);
    connect(Cmd_Email, &QPushButton::clicked, this, &LogPage::Cmd_Email_Click);
}

void LogPage::Cmd_Refresh_Click() {
    Fld_Log->clear();
    Fld_Log->repaint();
    struct LogBox : TextBox {
        QPlainTextEdit* box;
        void setText(const std::string& text) override {
            box->setPlainText(EightBitText().toText(text));
        }
    } logBox;
    logBox.box = Fld_Log;
    try {
        clsFiles(context_).Show_INIQuick("", "Torvane.LOG", logBox);
    } catch (const TorvaneError& e) {
        context_.prompts.message(
            {e.description(), MsgButtons::Ok, MsgIcon::Critical, MsgAnswer::Ok, "Error"});
    }
    std::uintmax_t size = 0;
    if (const auto log = context_.host.resolve(context_.host.programFolder() + "\\Torvane.Log")) {
        std::error_code ec;
        size = std::filesystem::file_size(*log, ec);
        if (ec) size = 0;
    }
    Lbl_LogHint->setText(QString::fromStdString(logHintText(size)));
    clsSystem::ScrollText(Fld_Log, 1000);
}

void LogPage::Cmd_Email_Click() {
    MailSettings settings = MailSettings::load(context_.host.settingsFolder());
    if (!settings.serverStored) {
        // The first send asks where to send from, as the default server is only a guess.
        if (Frm_EmailSettings(context_, this).exec() != QDialog::Accepted) return;
        settings = MailSettings::load(context_.host.settingsFolder());
    }
    emailLog(context_, settings, [](bool busy) {
        if (busy)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QApplication::restoreOverrideCursor();
    });
    Cmd_Refresh_Click();
}

}  // namespace torvane
