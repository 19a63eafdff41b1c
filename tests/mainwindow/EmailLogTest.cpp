#include <curl/curl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "LogRecords.h"
#include "SmtpTestServer.h"
#include "TestContext.h"
#include "common/clsLog.h"
#include "mainwindow/EmailLog.h"
#include "platform/SettingsStore.h"

namespace torvane {
namespace {

using test::readFile;
using test::SmtpTestServer;
using test::TestContext;
using test::writeFile;

const std::string kQuestion =
    "Are you sure that you wish to E-Mail the Log File to Quorrin Limited.";
const std::string kNote =
    "Please find attached the Torvane Log File.  The reason I am mailing it to you is ...";

class EmailLogTest : public ::testing::Test {
  protected:
    EmailLogTest() {
        clsLog(*ctx.context, LogFlavour::utility())
            .WriteToLog("Backup", true, "Successful Backup \xE9t\xE9");
        settings.sender = "alice@host.test";
        settings.recipient = "help@quorrin.test";
    }
    // Answers Yes to the question and OK to the box that reports the outcome.
    bool confirmAndSend() {
        ctx.prompts.answerMessage(MsgAnswer::Yes);
        ctx.prompts.answerMessage(MsgAnswer::Ok);
        return emailLog(*ctx.context, settings);
    }
    std::filesystem::path logFile() const { return ctx.programHost / "Torvane.Log"; }
    std::vector<std::string> records() const { return test::logRecords(logFile()); }
    std::vector<std::string> prompts() const {
        std::vector<std::string> texts;
        for (const auto& r : ctx.prompts.recorded()) texts.push_back(r.message.text);
        return texts;
    }
    // The log as it was sent: everything before the final record, which the send added after.
    std::string logBeforeLastRecord() const {
        const std::string log = readFile(logFile());
        return log.substr(0, log.rfind("\r\n", log.size() - 3) + 2);
    }

    TestContext ctx;
    MailSettings settings;
};

TEST_F(EmailLogTest, SendsTheLogToTheRecipientWithNoteAndSubject) {
    SmtpTestServer server;
    settings.server = server.url();
    EXPECT_TRUE(confirmAndSend());

    const MessageRequest& question = ctx.prompts.recorded()[0].message;
    EXPECT_EQ(question.text, kQuestion);
    EXPECT_EQ(question.title, "E-Mail");
    EXPECT_EQ(question.icon, MsgIcon::Question);
    EXPECT_EQ(question.defaultButton, MsgAnswer::No);
    const MessageRequest& done = ctx.prompts.lastMessage();
    EXPECT_EQ(done.text, "Log File Succesfully Sent to your E-Mail Application");
    EXPECT_EQ(done.title, "E-Mail Log File");
    EXPECT_EQ(done.icon, MsgIcon::Information);

    const auto mails = server.received();
    ASSERT_EQ(mails.size(), 1u);
    EXPECT_EQ(mails[0].fields.at("from"), "alice@host.test");
    EXPECT_EQ(mails[0].fields.at("rcpt"), "help@quorrin.test");
    EXPECT_EQ(mails[0].fields.at("to"), "help@quorrin.test");
    EXPECT_EQ(mails[0].fields.at("subject"), "Torvane Log");
    EXPECT_EQ(mails[0].fields.at("text"), kNote);
    EXPECT_EQ(mails[0].attachmentNames, (std::vector<std::string>{"Torvane.Log"}));
    EXPECT_EQ(mails[0].attachments[0], logBeforeLastRecord());
    const auto r = records();
    EXPECT_EQ(
        std::vector<std::string>(r.end() - 2, r.end()),
        (std::vector<std::string>{"Log File Emailed to Quorrin Limited.", "Email Successful"}));
}

TEST_F(EmailLogTest, TheOlderLogGoesSecond) {
    const std::string older = "old log\r\n\x01\x02\xFF binary tail";
    writeFile(ctx.programHost / "Torvane.Bak", older);
    SmtpTestServer server;
    settings.server = server.url();
    EXPECT_TRUE(confirmAndSend());
    const auto mails = server.received();
    ASSERT_EQ(mails.size(), 1u);
    EXPECT_EQ(mails[0].attachmentNames, (std::vector<std::string>{"Torvane.Log", "Torvane.Bak"}));
    EXPECT_EQ(mails[0].attachments[0], logBeforeLastRecord());
    EXPECT_EQ(mails[0].attachments[1], older);
}

TEST_F(EmailLogTest, LogsInWhenTheServerRequiresIt) {
    SmtpTestServer server(SmtpTestServer::Mode::Login);
    settings.server = server.url();
    settings.user = "alice";
    settings.password = "secret";
    EXPECT_TRUE(confirmAndSend());
    const auto mails = server.received();
    ASSERT_EQ(mails.size(), 1u);
    EXPECT_EQ(mails[0].fields.at("login"), "alice");

    // A wrong password fails the sign-on.
    settings.password = "guess";
    EXPECT_FALSE(confirmAndSend());
    EXPECT_EQ(ctx.prompts.lastMessage().text.rfind("Logon Failure: ", 0), 0u)
        << ctx.prompts.lastMessage().text;
    EXPECT_EQ(records().back().rfind(
                  "Email Failed - Error Code " + std::to_string(CURLE_LOGIN_DENIED) + " - ", 0),
              0u)
        << records().back();
    EXPECT_EQ(server.received().size(), 1u);
}

TEST_F(EmailLogTest, AStoppedServerIsALogonFailureAndNothingElse) {
    SmtpTestServer server;
    settings.server = server.url();
    server.stop();
    const auto before = records();
    EXPECT_FALSE(confirmAndSend());

    ASSERT_EQ(ctx.prompts.recorded().size(), 2u);
    const MessageRequest& box = ctx.prompts.lastMessage();
    EXPECT_EQ(box.buttons, MsgButtons::Ok);
    EXPECT_EQ(box.title, "");
    const std::string prefix = "Logon Failure: ";
    ASSERT_EQ(box.text.rfind(prefix, 0), 0u) << box.text;
    const std::string reason = box.text.substr(prefix.size());
    EXPECT_FALSE(reason.empty());
    auto expected = before;
    expected.push_back("Log File Emailed to Quorrin Limited.");
    expected.push_back("Email Failed - Error Code " + std::to_string(CURLE_COULDNT_CONNECT) +
                       " - " + reason);
    EXPECT_EQ(records(), expected);
}

TEST_F(EmailLogTest, ARefusedRecipientIsNeverReportedAsSent) {
    SmtpTestServer server(SmtpTestServer::Mode::Refuse);
    settings.server = server.url();
    EXPECT_FALSE(confirmAndSend());
    const MessageRequest& box = ctx.prompts.lastMessage();
    EXPECT_EQ(box.text.rfind("Logon Failure", 0), std::string::npos);
    EXPECT_NE(box.text.find("550"), std::string::npos) << box.text;
    const auto r = records();
    EXPECT_EQ(r.end()[-2], "Log File Emailed to Quorrin Limited.");
    EXPECT_EQ(r.back().rfind("Email Failed - Error Code ", 0), 0u) << r.back();
    EXPECT_NE(r.back().find("550"), std::string::npos) << r.back();
    for (const auto& record : r) EXPECT_NE(record, "Email Successful");
    EXPECT_TRUE(server.received().empty());
}

TEST_F(EmailLogTest, StartTlsThatTheServerDoesNotOfferFailsTheSignOn) {
    SmtpTestServer server;
    settings.server = server.url();
    settings.startTls = true;
    EXPECT_FALSE(confirmAndSend());
    EXPECT_EQ(ctx.prompts.lastMessage().text.rfind("Logon Failure: ", 0), 0u)
        << ctx.prompts.lastMessage().text;
    EXPECT_EQ(records().back().rfind(
                  "Email Failed - Error Code " + std::to_string(CURLE_USE_SSL_FAILED), 0),
              0u)
        << records().back();
    EXPECT_TRUE(server.received().empty());
}

TEST_F(EmailLogTest, SendsOverStartTlsAndTlsTrustingTheServersOwnCertificate) {
    for (const auto mode : {SmtpTestServer::Mode::StartTls, SmtpTestServer::Mode::Tls}) {
        SmtpTestServer server(mode);
        std::filesystem::create_directories(ctx.cRoot / "certs");
        std::filesystem::copy_file(server.certificate(), ctx.cRoot / "certs/server.pem",
                                   std::filesystem::copy_options::overwrite_existing);
        settings.server = server.url();
        settings.startTls = mode == SmtpTestServer::Mode::StartTls;
        settings.certificate = "C:\\CERTS\\SERVER.PEM";
        EXPECT_TRUE(confirmAndSend()) << ctx.prompts.lastMessage().text;
        const auto mails = server.received();
        ASSERT_EQ(mails.size(), 1u) << server.url();
        EXPECT_EQ(mails[0].attachmentNames, (std::vector<std::string>{"Torvane.Log"}));
    }
}

TEST_F(EmailLogTest, AnUntrustedCertificateFailsTheSignOn) {
    SmtpTestServer server(SmtpTestServer::Mode::Tls);
    settings.server = server.url();
    EXPECT_FALSE(confirmAndSend());
    EXPECT_EQ(ctx.prompts.lastMessage().text.rfind("Logon Failure: ", 0), 0u)
        << ctx.prompts.lastMessage().text;
    EXPECT_EQ(records().back().rfind(
                  "Email Failed - Error Code " + std::to_string(CURLE_PEER_FAILED_VERIFICATION), 0),
              0u)
        << records().back();
    EXPECT_TRUE(server.received().empty());
}

TEST_F(EmailLogTest, DecliningTheQuestionLeavesTheLogUnchanged) {
    const std::string before = readFile(logFile());
    ctx.prompts.answerMessage(MsgAnswer::No);
    EXPECT_FALSE(emailLog(*ctx.context, settings));
    EXPECT_EQ(readFile(logFile()), before);
    EXPECT_EQ(ctx.prompts.recorded().size(), 1u);
}

TEST(MailSettingsTest, DefaultsUntilSavedThenEveryValueExactlyAndTheFileOwnerOnly) {
    test::TempDir settingsFolder;
    const MailSettings fresh = MailSettings::load(settingsFolder.path());
    EXPECT_FALSE(fresh.serverStored);
    EXPECT_EQ(fresh.server, "smtp://localhost:25");
    EXPECT_EQ(fresh.recipient, "support@quorrin.example");
    EXPECT_EQ(fresh.sender, defaultMailSender());
    EXPECT_NE(fresh.sender.find('@'), std::string::npos);
    EXPECT_TRUE(fresh.user.empty());

    // Another setting written before keeps its place; the file is narrowed when the password goes
    // in.
    platform::SettingsStore(settingsFolder.path(), "Torvane")
        .save("Startup", "INI File", "DAILY.INI");
    const auto file = settingsFolder / "Torvane.ini";
    ::chmod(file.c_str(), 0644);
    MailSettings s;
    s.server = "smtps://mail.host.test:465";
    s.startTls = true;
    s.user = " bob ";
    s.password = "\"quoted\" pass; =x ";
    s.sender = "bob@host.test";
    s.recipient = "help@quorrin.test";
    s.certificate = "C:\\CERTS\\MAIL.PEM";
    s.save(settingsFolder.path());
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    const MailSettings back = MailSettings::load(settingsFolder.path());
    EXPECT_TRUE(back.serverStored);
    EXPECT_EQ(back.server, s.server);
    EXPECT_TRUE(back.startTls);
    EXPECT_EQ(back.user, s.user);
    EXPECT_EQ(back.password, s.password);
    EXPECT_EQ(back.sender, s.sender);
    EXPECT_EQ(back.recipient, s.recipient);
    EXPECT_EQ(back.certificate, s.certificate);
    EXPECT_EQ(platform::SettingsStore(settingsFolder.path(), "Torvane").get("Startup", "INI File"),
              "DAILY.INI");

    // A settings file that does not exist yet is created owner-only, before anything is in it.
    test::TempDir other;
    s.save(other.path() / "Torvane");
    ASSERT_EQ(::stat((other.path() / "Torvane/Torvane.ini").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

}  // namespace
}  // namespace torvane
