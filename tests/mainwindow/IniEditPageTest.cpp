#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>

#include "LogRecords.h"
#include "TestContext.h"
#include "mainwindow/BackupPage.h"
#include "mainwindow/Frm_Mainmenu.h"
#include "mainwindow/IniEditPage.h"
#include "mainwindow/RestorePage.h"

namespace torvane {
namespace {

using test::readFile;
using test::TestContext;
using test::writeFile;

std::string setText(const std::string& name, const std::string& time) {
    return "[BACKUP "
           "SOURCE]\r\nBackupFiles=C:\\DATA\\*.*\r\nBackupSubDirectories=ON\r\n[DESTINATION]"
           "\r\nBackupFileName=" +
           name + "\r\nMultiVolumeBackup=OFF\r\nBackupToDrive=C:\\BACKUPS\\\r\nTimeBackup=" + time +
           "\r\n[RESTORE SOURCE]\r\nRestoreFromDrive=\r\nRestoreFileName=\r\n[RESTORE "
           "DESTINATION]\r\nRestoreDestination=\r\n";
}

QString shown(std::string text) {
    for (size_t at; (at = text.find("\r\n")) != std::string::npos;) text.replace(at, 2, "\n");
    return QString::fromStdString(text);
}

class IniEditPageTest : public ::testing::Test {
  protected:
    IniEditPageTest() { window.TAB_Backup->setCurrentWidget(page); }
    // The set files are in place before the window lists them at load.
    bool writeSets() {
        std::filesystem::create_directories(ctx.cRoot / "Data");
        std::filesystem::create_directories(ctx.cRoot / "Backups");
        writeFile(daily(), setText("DAILY", "OFF"));
        writeFile(ctx.programHost / "WEEKLY.INI", setText("WEEKLY", "ON"));
        return true;
    }
    std::filesystem::path daily() const { return ctx.programHost / "DAILY.INI"; }
    std::filesystem::path workFile() const { return ctx.programHost / "Temp.INI"; }
    std::vector<std::string> records() const {
        return test::logRecords(ctx.programHost / "Torvane.Log");
    }
    void click(const QString& name) {
        const auto found = page->Fil_INI->findItems(name, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << name.toStdString();
        page->Fil_INI->setCurrentItem(found.front());
    }
    QString selected() const {
        return page->Fil_INI->currentItem() ? page->Fil_INI->currentItem()->text() : "";
    }
    QStringList listed() const {
        QStringList names;
        for (int i = 0; i < page->Fil_INI->count(); ++i) names << page->Fil_INI->item(i)->text();
        return names;
    }
    void typeKey() {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, "x");
        QApplication::sendEvent(page->Fld_INI, &press);
    }
    // Replaces the box's text as a paste would.
    void edit(const std::string& text) {
        page->Fld_INI->selectAll();
        page->Fld_INI->insertPlainText(shown(text));
    }

    TestContext ctx;
    bool setsWritten = writeSets();
    Frm_Mainmenu window{*ctx.context};
    IniEditPage* page = window.iniEditPage;
};

TEST_F(IniEditPageTest, LoadingLeavesSaveDisabledAndOneKeystrokeEnablesIt) {
    EXPECT_EQ(listed(), (QStringList{"DAILY.INI", "WEEKLY.INI"}));
    EXPECT_EQ(page->Lbl_INIContents->text(), "INI File Contents");
    EXPECT_TRUE(QFontInfo(page->Fld_INI->font()).fixedPitch());
    click("DAILY.INI");
    EXPECT_EQ(page->Fld_INI->toPlainText(), shown(setText("DAILY", "OFF")).chopped(1));
    EXPECT_EQ(page->Lbl_INIContents->text(), "INI File Contents - DAILY.INI");
    EXPECT_EQ(page->sEditFile, "DAILY.INI");
    EXPECT_FALSE(page->Cmd_Save->isEnabled());
    typeKey();
    EXPECT_TRUE(page->Cmd_Save->isEnabled());
    EXPECT_TRUE(ctx.prompts.recorded().empty());
}

TEST_F(IniEditPageTest, ClickingAnotherFileAsksAndNoDropsTheEdits) {
    click("DAILY.INI");
    typeKey();
    ctx.prompts.answerMessage(MsgAnswer::No);
    click("WEEKLY.INI");
    const MessageRequest& question = ctx.prompts.lastMessage();
    EXPECT_EQ(question.text,
              "You have not saved your changes to DAILY.INI.\r\nDo you wish to do this now?");
    EXPECT_EQ(question.title, "Changes");
    EXPECT_EQ(question.buttons, MsgButtons::YesNo);
    EXPECT_EQ(question.defaultButton, MsgAnswer::No);
    EXPECT_EQ(page->sEditFile, "WEEKLY.INI");
    EXPECT_TRUE(page->Fld_INI->toPlainText().contains("BackupFileName=WEEKLY"));
    EXPECT_FALSE(page->Cmd_Save->isEnabled());
    EXPECT_EQ(readFile(daily()), setText("DAILY", "OFF"));
    EXPECT_FALSE(std::filesystem::exists(workFile()));
}

TEST_F(IniEditPageTest, ATextFailingTheChecksKeepsTheEditedFileAndStillCountsAsUnsaved) {
    click("DAILY.INI");
    const std::string bad = setText("DAILY", "on");
    edit(bad);
    ctx.prompts.answerMessage(MsgAnswer::Yes);  // Changes
    ctx.prompts.answerMessage(MsgAnswer::Yes);  // Save Changes
    ctx.prompts.answerMessage(MsgAnswer::Ok);   // the reason
    click("WEEKLY.INI");
    EXPECT_EQ(ctx.prompts.recorded()[1].message.title, "Save Changes");
    EXPECT_EQ(ctx.prompts.lastMessage().title, "INI Validation");
    EXPECT_EQ(selected(), "DAILY.INI");
    EXPECT_EQ(page->sEditFile, "DAILY.INI");
    EXPECT_EQ(page->Fld_INI->toPlainText(), shown(bad));
    EXPECT_EQ(readFile(daily()), setText("DAILY", "OFF"));
    EXPECT_EQ(readFile(workFile()), bad + "\r\n");
    EXPECT_TRUE(records().empty());

    // The text still differs from the file, so leaving it asks again.
    EXPECT_TRUE(page->Cmd_Save->isEnabled());
    ctx.prompts.answerMessage(MsgAnswer::No);
    click("WEEKLY.INI");
    EXPECT_EQ(page->sEditFile, "WEEKLY.INI");
    EXPECT_TRUE(ctx.prompts.scriptUsedUp());
}

TEST_F(IniEditPageTest, AGoodSaveRecordsOnceAndTheNextButtonSaveFollowsAConfirmedSwitch) {
    click("DAILY.INI");
    const std::string good = setText("NIGHTLY", "ON");
    edit(good);
    ctx.prompts.answerMessage(MsgAnswer::Yes);
    page->Cmd_Save->click();
    EXPECT_EQ(ctx.prompts.lastMessage().text, "Are you sure that you wish to save the changes?");
    EXPECT_EQ(readFile(daily()), good + "\r\n");
    EXPECT_FALSE(std::filesystem::exists(workFile()));
    EXPECT_FALSE(page->Cmd_Save->isEnabled());
    EXPECT_EQ(records(), (std::vector<std::string>{"INI DAILY.INI Edited"}));

    // Saving while switching files: both questions, then the clicked file is shown.
    edit(setText("DAILY", "OFF"));
    ctx.prompts.answerMessage(MsgAnswer::Yes);
    ctx.prompts.answerMessage(MsgAnswer::Yes);
    click("WEEKLY.INI");
    EXPECT_EQ(readFile(daily()), setText("DAILY", "OFF") + "\r\n");
    EXPECT_EQ(page->sEditFile, "WEEKLY.INI");
    EXPECT_TRUE(page->bConfirmed);
    // That switch confirmed the next save from the button, which then asks nothing.
    edit(setText("WEEKLY", "OFF"));
    page->Cmd_Save->click();
    EXPECT_EQ(readFile(ctx.programHost / "WEEKLY.INI"), setText("WEEKLY", "OFF") + "\r\n");
    EXPECT_FALSE(page->bConfirmed);
    EXPECT_EQ(records().size(), 3u);
    EXPECT_TRUE(ctx.prompts.scriptUsedUp());
    EXPECT_EQ(ctx.prompts.recorded().size(), 3u);
}

TEST_F(IniEditPageTest, RefreshForgetsTheFileAndAVanishedFileRefreshesTheList) {
    click("DAILY.INI");
    page->Cmd_INIRefresh->click();
    EXPECT_TRUE(page->Fld_INI->toPlainText().isEmpty());
    EXPECT_EQ(page->Lbl_INIContents->text(), "INI File Contents");
    EXPECT_TRUE(page->sEditFile.empty());
    EXPECT_TRUE(page->Cmd_Save->isEnabled());
    click("WEEKLY.INI");  // no question: no file was being edited
    EXPECT_EQ(page->sEditFile, "WEEKLY.INI");
    EXPECT_TRUE(ctx.prompts.recorded().empty());

    std::filesystem::remove(daily());
    click("DAILY.INI");
    EXPECT_EQ(listed(), (QStringList{"WEEKLY.INI"}));
    EXPECT_TRUE(page->sEditFile.empty());
    EXPECT_TRUE(page->Fld_INI->toPlainText().isEmpty());
    // With no file named, a save has nothing it could replace.
    page->Cmd_Save->click();
    EXPECT_FALSE(std::filesystem::exists(daily()));
    EXPECT_FALSE(std::filesystem::exists(workFile()));
}

TEST_F(IniEditPageTest, BytesOutsideAsciiSurviveALoadAndASave) {
    // Not UTF-8: Latin-1 letters and a non-breaking space, all kept as they are.
    const std::string latin = "; J\xF6rg\xA0M\xFCller\r\n" + setText("S\xC4TZE", "ON");
    writeFile(daily(), latin);
    page->Cmd_INIRefresh->click();
    click("DAILY.INI");
    page->Cmd_Save_Click();
    // The box shows the file without its last line end, and the save adds one: the same bytes.
    EXPECT_EQ(readFile(daily()), latin);

    // UTF-8 stays UTF-8, also for what is typed.
    const std::string utf8 = "; \xC3\xA9t\xC3\xA9\r\n" + setText("WEEKLY", "ON");
    writeFile(ctx.programHost / "WEEKLY.INI", utf8);
    click("WEEKLY.INI");
    page->Fld_INI->moveCursor(QTextCursor::Start);
    page->Fld_INI->insertPlainText(QString::fromUtf8("\xC3\xBC"));
    ctx.prompts.answerMessage(MsgAnswer::Yes);
    page->Cmd_Save->click();
    EXPECT_EQ(readFile(ctx.programHost / "WEEKLY.INI"), "\xC3\xBC" + utf8);
}

TEST_F(IniEditPageTest, DeletingAsksWithNoAsDefaultThenTheNameLeavesEveryList) {
    EXPECT_TRUE(window.Menu_Options_Delete->isEnabled());
    window.Menu_Options_Delete->trigger();  // nothing selected: nothing asked
    EXPECT_TRUE(ctx.prompts.recorded().empty());

    QContextMenuEvent right(QContextMenuEvent::Mouse, QPoint(5, 5),
                            page->Fil_INI->viewport()->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(page->Fil_INI->viewport(), &right);
    EXPECT_TRUE(window.Menu_Options->isVisible());
    window.Menu_Options->hide();

    click("DAILY.INI");
    ctx.prompts.answerMessage(MsgAnswer::No);
    window.Menu_Options_Delete->trigger();
    const MessageRequest& question = ctx.prompts.lastMessage();
    EXPECT_EQ(question.text, "Are you sure that you wish to delete DAILY.INI");
    EXPECT_EQ(question.title, "Delete File");
    EXPECT_EQ(question.defaultButton, MsgAnswer::No);
    EXPECT_TRUE(std::filesystem::exists(daily()));

    window.selectBackupSet("DAILY.INI");
    ASSERT_EQ(window.backupPage->Cmb_BackupSet->count(), 2);
    ASSERT_EQ(window.restorePage->Cmb_RestoreFile->count(), 2);
    ctx.prompts.answerMessage(MsgAnswer::Yes);
    window.Menu_Options_Delete->trigger();
    EXPECT_FALSE(std::filesystem::exists(daily()));
    EXPECT_EQ(listed(), (QStringList{"WEEKLY.INI"}));
    EXPECT_EQ(window.backupPage->Cmb_BackupSet->findText("DAILY.INI"), -1);
    EXPECT_EQ(window.backupPage->Cmb_BackupSet->currentIndex(), -1);
    EXPECT_EQ(window.restorePage->Cmb_RestoreFile->findText("DAILY.INI"), -1);
    EXPECT_EQ(window.restorePage->Cmb_RestoreFile->count(), 1);
    EXPECT_EQ(window.backupPage->Cmb_BackupSet->count(), 1);
}

}  // namespace
}  // namespace torvane
