#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QEvent>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <thread>

#include "LogRecords.h"
#include "SetText.h"
#include "SmtpTestServer.h"
#include "TestContext.h"
#include "mainwindow/BackupPage.h"
#include "mainwindow/Frm_Mainmenu.h"
#include "mainwindow/MailSettings.h"
#include "mainwindow/QueuedRuns.h"

namespace torvane {
namespace {

using test::readFile;
using test::setText;
using test::SmtpTestServer;
using test::TestContext;
using test::writeFile;

const std::vector<std::string> kGoodRun{"Starting Backup DAILY.INI",
                                        "Creating Backup File C:\\BACKUPS\\DAILY.zip",
                                        "Finished Backup DAILY.INI", "Backup Verified - 1 file(s)", "Successful Backup"};
const std::vector<std::string> kFailedRun{"Starting Backup BAD.INI", "Finished Backup BAD.INI",
                                          "Backup Failed - Unable to locate C:\\MISSING\\*.*"};

// An open window (prompts scripted: any question fails the test) with the sets other starts hand
// over. The tests have no session bus, so no desktop notice goes out.
class QueuedRunsTest : public ::testing::Test {
  protected:
    QueuedRunsTest() {
        ::setenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + (ctx.dir / "no-bus").string()).c_str(),
                 1);
        writeFile(ctx.cRoot / "Data/a.txt", "alpha");
        std::filesystem::create_directories(ctx.cRoot / "Backups");
        writeFile(ctx.programHost / "DAILY.INI", setText("C:\\DATA\\*.*", "DAILY"));
        writeFile(ctx.programHost / "BAD.INI", setText("C:\\MISSING\\*.*", "BAD"));
        window.setQueuedRuns(&runs);
    }
    std::vector<std::string> records() const {
        return test::logRecords(ctx.programHost / "Torvane.Log");
    }
    void mailSettings(const std::string& server, bool onFailure) {
        MailSettings s;
        s.server = server;
        s.sender = "alice@host.test";
        s.recipient = "admin@host.test";
        s.mailOnFailure = onFailure;
        s.save(ctx.host->settingsFolder());
    }
    // Handles events until `done`; the bound only guards against a run that never comes.
    static void waitUntil(const std::function<bool()>& done) {
        for (int i = 0; i < 2000 && !done(); ++i) {
            QApplication::processEvents();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        EXPECT_TRUE(done());
    }
    // Runs one handed-over set as the idle window does.
    void runHandedOver(const QString& set) {
        runs.enqueue(set);
        runs.runWhenIdle();
        EXPECT_EQ(runs.waiting(), 0u);
    }

    TestContext ctx;
    Frm_Mainmenu window{*ctx.context};
    QueuedRuns runs{*ctx.context, *window.backupPage, true};
};

TEST_F(QueuedRunsTest, ASetWaitsWhileAModalWindowIsOpenAndThenRunsUnattended) {
    QDialog dialog(&window);
    dialog.setModal(true);
    dialog.show();
    runs.enqueue("DAILY.INI");
    runs.runWhenIdle();
    EXPECT_FALSE(runs.idle());
    EXPECT_EQ(runs.waiting(), 1u);
    EXPECT_TRUE(records().empty());
    EXPECT_TRUE(std::filesystem::is_empty(ctx.cRoot / "Backups"));

    dialog.close();
    // The retry picks it up by itself.
    waitUntil([this] { return runs.waiting() == 0 && !runs.running(); });
    EXPECT_EQ(records(), kGoodRun);
    EXPECT_TRUE(std::filesystem::exists(ctx.cRoot / "Backups/DAILY.zip"));
    EXPECT_TRUE(ctx.prompts.recorded().empty());
    // The window's own page is left as the user had it.
    EXPECT_EQ(window.backupPage->Cmb_BackupSet->currentIndex(), -1);
}

TEST_F(QueuedRunsTest, SetsHandedOverTogetherRunOneAfterAnotherWithAllTheirRecords) {
    runs.enqueue("BAD.INI");
    runs.enqueue("DAILY.INI");
    runs.enqueue("GONE.INI");
    waitUntil([this] { return runs.waiting() == 0 && !runs.running(); });
    std::vector<std::string> expected = kFailedRun;
    expected.insert(expected.end(), kGoodRun.begin(), kGoodRun.end());
    expected.push_back("Unable to Start Backup - File GONE.INI does not exist.");
    EXPECT_EQ(records(), expected);
    EXPECT_TRUE(ctx.prompts.recorded().empty());
}

// A window cannot be closed while a handed-over set is being backed up; a termination closes it
// after the run has ended, with the run's records before the "Exit" record; nothing queued starts.
TEST_F(QueuedRunsTest, ATerminationDuringAQueuedRunClosesTheWindowAfterIt) {
    struct TerminateOnProgress : QObject {
        Frm_Mainmenu& window;
        explicit TerminateOnProgress(Frm_Mainmenu& w) : window(w) {}
        bool eventFilter(QObject* watched, QEvent* event) override {
            if (event->type() == QEvent::Show && watched->objectName() == "Frm_Backup") {
                QApplication::instance()->removeEventFilter(this);
                window.closeWithReason(2);
                EXPECT_TRUE(window.isVisible()) << "closed while its run went on";
                window.terminate();
                EXPECT_TRUE(window.isVisible()) << "closed while its run went on";
            }
            return false;
        }
    } terminator(window);
    window.show();
    QApplication::instance()->installEventFilter(&terminator);
    runs.enqueue("DAILY.INI");
    runs.enqueue("BAD.INI");
    runs.runWhenIdle();
    EXPECT_FALSE(window.isVisible());
    const auto r = records();
    ASSERT_GE(r.size(), 4u);
    EXPECT_EQ(r[0], "Starting Backup DAILY.INI");
    EXPECT_NE(std::find(r.begin(), r.end(), "Finished Backup DAILY.INI"), r.end());
    EXPECT_EQ(r[r.size() - 2], "Application Closed - Unloaded by Windows Task Manager is ending.");
    EXPECT_EQ(std::count_if(r.begin(), r.end(),
                            [](const std::string& s) { return s.find("BAD.INI") != s.npos; }),
              0);
    runs.runWhenIdle();
    EXPECT_EQ(records(), r);
}

TEST_F(QueuedRunsTest, AFailedRunMailsTheLogWhenTheSettingsSaySo) {
    SmtpTestServer server;
    mailSettings(server.url(), true);
    runHandedOver("BAD.INI");

    const auto mails = server.received();
    ASSERT_EQ(mails.size(), 1u);
    EXPECT_EQ(mails[0].fields.at("subject"), "Torvane Log - Backup BAD.INI failed");
    EXPECT_EQ(mails[0].fields.at("rcpt"), "admin@host.test");
    ASSERT_EQ(mails[0].attachmentNames, (std::vector<std::string>{"Torvane.Log"}));
    EXPECT_NE(mails[0].attachments[0].find("Backup Failed - Unable to locate C:\\MISSING\\*.*\r\n"),
              std::string::npos);
    std::vector<std::string> expected = kFailedRun;
    expected.push_back("Log File Emailed to Quorrin Limited.");
    expected.push_back("Email Successful");
    EXPECT_EQ(records(), expected);

    // A good run sends nothing.
    runHandedOver("DAILY.INI");
    EXPECT_EQ(server.received().size(), 1u);
}

TEST_F(QueuedRunsTest, WithMailOnFailureOffNothingIsSent) {
    SmtpTestServer server;
    mailSettings(server.url(), false);
    runHandedOver("BAD.INI");
    EXPECT_TRUE(server.received().empty());
    EXPECT_EQ(records(), kFailedRun);
}

TEST_F(QueuedRunsTest, AMailThatCannotBeSentIsRecordedOnceAndTheRunEndsAsItWould) {
    SmtpTestServer server;
    mailSettings(server.url(), true);
    server.stop();
    runHandedOver("BAD.INI");
    const auto r = records();
    ASSERT_EQ(r.size(), kFailedRun.size() + 2);
    EXPECT_EQ(std::vector<std::string>(r.begin(), r.begin() + kFailedRun.size()), kFailedRun);
    EXPECT_EQ(r[kFailedRun.size()], "Log File Emailed to Quorrin Limited.");
    EXPECT_TRUE(r.back().starts_with("Email Failed - Error Code ")) << r.back();

    // The next run is not held up by the failed notice, and is not told of it again.
    runHandedOver("DAILY.INI");
    const auto after = records();
    EXPECT_EQ(std::vector<std::string>(after.end() - kGoodRun.size(), after.end()), kGoodRun);
}

}  // namespace
}  // namespace torvane
