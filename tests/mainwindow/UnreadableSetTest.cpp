// A set file that exists but cannot be read is never taken for an empty set: every way the window
// reads it shows the host's reason in the error box, and nothing is written over it. Tests run
// with rights that read everything, so the read seam refuses the file.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <cerrno>
#include <optional>

#include "MainWindowFixture.h"
#include "common/DirListBox.h"
#include "mainwindow/BackupPage.h"
#include "mainwindow/IniEditPage.h"
#include "mainwindow/RestorePage.h"
#include "mainwindow/UnattendedBackup.h"
#include "platform/AtomicFile.h"

namespace torvane {
namespace {

using test::readFile;
using test::writeFile;

const char* const kReason = "File DAILY.INI cannot be read: Permission denied.";

class UnreadableSetTest : public test::MainWindowFixture {
  protected:
    UnreadableSetTest() {
        writeFile(ctx.programHost / "WEEKLY.INI", readFile(daily()));
        before = readFile(daily());
    }
    std::filesystem::path daily() const { return ctx.programHost / "DAILY.INI"; }
    void refuseDaily() {
        unreadable.emplace(
            [](const std::filesystem::path& file) { return file.filename() == "DAILY.INI"; },
            EACCES);
    }
    // The last prompt is the error box with the reason, and it is the `count`th one.
    void expectErrorBox(size_t count) {
        ASSERT_EQ(ctx.prompts.recorded().size(), count);
        EXPECT_EQ(ctx.prompts.lastMessage().text, kReason);
        EXPECT_EQ(ctx.prompts.lastMessage().icon, MsgIcon::Critical);
        EXPECT_EQ(ctx.prompts.lastMessage().title, "Error");
    }
    // A dialog that a refused action opened anyway is closed, so the test fails instead of
    // waiting for it.
    static void failOnDialog() {
        QTimer::singleShot(0, [] {
            if (QWidget* dialog = QApplication::activeModalWidget()) {
                ADD_FAILURE() << "a dialog opened: " << dialog->objectName().toStdString();
                dialog->close();
            }
        });
    }
    void expectUntouched() {
        unreadable.reset();
        EXPECT_EQ(readFile(daily()), before);
        EXPECT_TRUE(std::filesystem::is_empty(ctx.cRoot / "Backups"));
        EXPECT_TRUE(records().empty());
    }

    std::string before;
    std::optional<platform::FileReadFaultHook> unreadable;
};

TEST_F(UnreadableSetTest, TheBackupPageShowsTheReasonForEveryUseOfTheSet) {
    Frm_Mainmenu window(*ctx.context);
    BackupPage& page = *window.backupPage;
    window.selectBackupSet("DAILY.INI");
    ASSERT_EQ(page.Fld_BackupWhere->text(), "C:\\BACKUPS\\");
    refuseDaily();
    for (int i = 0; i < 4; ++i) ctx.prompts.answerMessage(MsgAnswer::Ok);

    window.selectBackupSet("DAILY.INI");
    expectErrorBox(1);
    for (const QLabel* shown : {page.Lbl_FilestoBackup, page.Lbl_BackupFileName,
                                page.Fld_BackupWhere, page.Fld_BackupOptions})
        EXPECT_EQ(shown->text(), "") << shown->objectName().toStdString();

    failOnDialog();
    page.Cmd_Backup->click();  // no question and no progress window
    QApplication::processEvents();
    expectErrorBox(2);

    page.Cmd_Change->click();
    failOnDialog();
    page.Cmd_Options[2]->click();
    QApplication::processEvents();
    expectErrorBox(3);

    auto* sub = page.Dir_DirList->findItems("Sub", Qt::MatchEndsWith).value(0);
    ASSERT_NE(sub, nullptr);
    emit page.Dir_DirList->itemActivated(sub);
    ASSERT_EQ(ctx.prompts.recorded().size(), 4u);
    EXPECT_NE(ctx.prompts.lastMessage().text.find("Permission denied"), std::string::npos);
    EXPECT_EQ(ctx.prompts.lastMessage().icon, MsgIcon::Critical);
    expectUntouched();

    // A set whose file has gone is still an empty set, shown without a message.
    std::filesystem::remove(ctx.programHost / "WEEKLY.INI");
    window.selectBackupSet("WEEKLY.INI");
    EXPECT_EQ(ctx.prompts.recorded().size(), 4u);
    EXPECT_EQ(page.Lbl_BackupFileName->text(), "");
}

TEST_F(UnreadableSetTest, AnUnattendedRunFailsWithTheReasonAndTheSameWords) {
    Frm_Mainmenu window(*ctx.context);
    refuseDaily();
    const RunOutcome run = runUnattendedBackup(*ctx.context, *window.backupPage, "DAILY.INI");
    const std::string record = std::string("Unable to Start Backup - ") + kReason;
    EXPECT_EQ(run.kind, RunOutcome::Kind::Failed);
    EXPECT_EQ(run.reason, record);
    EXPECT_EQ(records(), std::vector<std::string>{record});
    EXPECT_TRUE(ctx.prompts.recorded().empty());
    unreadable.reset();
    EXPECT_EQ(readFile(daily()), before);
    EXPECT_TRUE(std::filesystem::is_empty(ctx.cRoot / "Backups"));
}

TEST_F(UnreadableSetTest, TheEditorKeepsTheFileItHeldAndSavesNothingOverTheSet) {
    Frm_Mainmenu window(*ctx.context);
    IniEditPage& page = *window.iniEditPage;
    window.TAB_Backup->setCurrentWidget(&page);
    const auto click = [&](const QString& name) {
        page.Fil_INI->setCurrentItem(page.Fil_INI->findItems(name, Qt::MatchExactly).value(0));
    };
    refuseDaily();
    ctx.prompts.answerMessage(MsgAnswer::Ok);
    ctx.prompts.answerMessage(MsgAnswer::Ok);

    click("DAILY.INI");  // nothing shown before: the box stays empty, with nothing to save to
    expectErrorBox(1);
    EXPECT_EQ(page.Fil_INI->currentItem(), nullptr);
    EXPECT_TRUE(page.Fld_INI->toPlainText().isEmpty());
    page.Cmd_Save->click();
    EXPECT_EQ(ctx.prompts.recorded().size(), 1u);

    click("WEEKLY.INI");
    const QString weekly = page.Fld_INI->toPlainText();
    ASSERT_TRUE(weekly.contains("BackupFileName=DAILY"));
    click("DAILY.INI");
    expectErrorBox(2);
    EXPECT_EQ(page.Fil_INI->currentItem()->text(), "WEEKLY.INI");
    EXPECT_EQ(page.Fld_INI->toPlainText(), weekly);
    EXPECT_FALSE(page.Cmd_Save->isEnabled());
    expectUntouched();
}

TEST_F(UnreadableSetTest, TheRestorePageRestoresNothingFromTheSet) {
    zipData(ctx.cRoot / "Backups/DAILY.zip");
    recordArchive("C:\\BACKUPS\\", "DAILY.zip");
    before = readFile(daily());
    Frm_Mainmenu window(*ctx.context);
    RestorePage& page = *window.restorePage;
    refuseDaily();
    ctx.prompts.answerMessage(MsgAnswer::Ok);
    ctx.prompts.answerMessage(MsgAnswer::Ok);

    chooseSet(page, "DAILY.INI");
    expectErrorBox(1);
    EXPECT_EQ(page.Fld_RestoreFile->text(), "");
    EXPECT_EQ(page.Fld_Total->text(), "0");

    std::filesystem::create_directories(ctx.cRoot / "Restored");
    page.Fld_RestoreTo->setText("C:\\RESTORED\\");
    EXPECT_EQ(restoreNow(page), "") << "a restore ran";
    expectErrorBox(2);
    EXPECT_TRUE(std::filesystem::is_empty(ctx.cRoot / "Restored"));
    unreadable.reset();
    EXPECT_EQ(readFile(daily()), before);
    EXPECT_TRUE(records().empty());
}

}  // namespace
}  // namespace torvane
