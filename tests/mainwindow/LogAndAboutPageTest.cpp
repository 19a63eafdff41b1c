#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSet>
#include <QTabWidget>
#include <QTimer>

#include "LogRecords.h"
#include "SmtpTestServer.h"
#include "TestContext.h"
#include "common/clsLog.h"
#include "mainwindow/AboutPage.h"
#include "mainwindow/Frm_EmailSettings.h"
#include "mainwindow/Frm_Mainmenu.h"
#include "mainwindow/LogPage.h"
#include "mainwindow/MailSettings.h"

namespace torvane {
namespace {

using test::readFile;
using test::SmtpTestServer;
using test::TestContext;

// Runs `act` on the settings dialog that the next blocking call opens.
template <typename Act>
void onSettingsDialog(Act act) {
    QTimer::singleShot(0, [act] {
        auto* dialog = qobject_cast<Frm_EmailSettings*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr) << "the E-Mail Settings dialog did not open";
        act(dialog);
    });
}

class LogAndAboutPageTest : public ::testing::Test {
  protected:
    LogAndAboutPageTest() {
        clsLog(*ctx.context, LogFlavour::utility()).WriteToLog("Backup", true, "Successful Backup");
        window.TAB_Backup->setCurrentWidget(window.logPage);
    }
    std::filesystem::path logFile() const { return ctx.programHost / "Torvane.Log"; }

    TestContext ctx;
    Frm_Mainmenu window{*ctx.context};
};

TEST_F(LogAndAboutPageTest, TheFirstSendAsksForTheServerThenSendsAndShowsTheRecords) {
    SmtpTestServer server;
    EXPECT_EQ(window.logPage->Cmd_Email->text(), "&E-Mail");
    onSettingsDialog([&](Frm_EmailSettings* d) {
        EXPECT_EQ(d->windowTitle(), "E-Mail Settings");
        EXPECT_EQ(d->Txt_Server->text(), "smtp://localhost:25");
        d->Txt_Server->setText("localhost:25");
        d->Cmd_OK->click();  // refused: no scheme
        EXPECT_TRUE(d->isVisible());
        d->Txt_Server->setText(QString::fromStdString(server.url()));
        d->Txt_Sender->setText("alice@host.test");
        d->Txt_Recipient->setText("help@quorrin.test");
        d->Cmd_OK->click();
    });
    ctx.prompts.answerMessage(MsgAnswer::Ok);   // the refused server
    ctx.prompts.answerMessage(MsgAnswer::Yes);  // the question
    ctx.prompts.answerMessage(MsgAnswer::Ok);   // sent
    window.logPage->Cmd_Email->click();
    EXPECT_EQ(ctx.prompts.recorded()[0].message.title, "E-Mail Settings");
    EXPECT_EQ(ctx.prompts.lastMessage().text,
              "Log File Succesfully Sent to your E-Mail Application");
    const auto mails = server.received();
    ASSERT_EQ(mails.size(), 1u);
    EXPECT_EQ(mails[0].fields.at("rcpt"), "help@quorrin.test");
    EXPECT_TRUE(window.logPage->Fld_Log->toPlainText().endsWith("Email Successful\n"));
    EXPECT_TRUE(MailSettings::load(ctx.host->settingsFolder()).serverStored);

    // With a server stored the dialog stays shut; declining leaves the log as it was.
    const std::string before = readFile(logFile());
    ctx.prompts.answerMessage(MsgAnswer::No);
    window.logPage->Cmd_Email->click();
    EXPECT_EQ(readFile(logFile()), before);
    EXPECT_TRUE(ctx.prompts.scriptUsedUp());
}

TEST_F(LogAndAboutPageTest, CancellingTheSettingsSendsNothingAndStoresNothing) {
    const std::string before = readFile(logFile());
    onSettingsDialog([](Frm_EmailSettings* d) {
        d->Txt_Server->setText("smtp://mail.host.test:587");
        d->Cmd_Cancel->click();
    });
    window.logPage->Cmd_Email->click();
    EXPECT_EQ(readFile(logFile()), before);
    EXPECT_FALSE(MailSettings::load(ctx.host->settingsFolder()).serverStored);

    // The Options menu opens the same dialog, which stores what OK confirms.
    onSettingsDialog([](Frm_EmailSettings* d) {
        d->Txt_Server->setText("smtps://mail.host.test:465");
        d->Chk_StartTLS->setChecked(false);
        d->Txt_User->setText("alice");
        d->Txt_Password->setText("secret");
        EXPECT_EQ(d->Txt_Password->echoMode(), QLineEdit::Password);
        EXPECT_EQ(d->Chk_MailOnFailure->text(), "Mail on failure");
        EXPECT_FALSE(d->Chk_MailOnFailure->isChecked());
        d->Chk_MailOnFailure->setChecked(true);
        d->Cmd_OK->click();
    });
    window.Menu_Options_Email->trigger();
    const MailSettings stored = MailSettings::load(ctx.host->settingsFolder());
    EXPECT_EQ(stored.server, "smtps://mail.host.test:465");
    EXPECT_EQ(stored.user, "alice");
    EXPECT_EQ(stored.password, "secret");
    EXPECT_TRUE(stored.mailOnFailure);
    // Shown again as stored, and turned off again.
    onSettingsDialog([](Frm_EmailSettings* d) {
        EXPECT_TRUE(d->Chk_MailOnFailure->isChecked());
        d->Chk_MailOnFailure->setChecked(false);
        d->Cmd_OK->click();
    });
    window.Menu_Options_Email->trigger();
    EXPECT_FALSE(MailSettings::load(ctx.host->settingsFolder()).mailOnFailure);
    EXPECT_TRUE(ctx.prompts.recorded().empty());
}

TEST_F(LogAndAboutPageTest, TheAboutPageShowsTheDrawnLogoInItsFrame) {
    window.TAB_Backup->setCurrentWidget(window.aboutPage);
    QLabel* logo = window.aboutPage->Img_Logo;
    ASSERT_NE(logo, nullptr);
    EXPECT_EQ(logo->objectName(), "Img_Logo");
    ASSERT_NE(logo->parentWidget(), nullptr);
    EXPECT_EQ(logo->parentWidget()->objectName(), "Fra_Logo");
    const QImage picture = logo->pixmap().toImage();
    ASSERT_FALSE(picture.isNull());
    QSet<QRgb> colours;
    for (int y = 0; y < picture.height(); y += 4)
        for (int x = 0; x < picture.width(); x += 4) colours.insert(picture.pixel(x, y));
    EXPECT_GT(colours.size(), 10);
}

}  // namespace
}  // namespace torvane
