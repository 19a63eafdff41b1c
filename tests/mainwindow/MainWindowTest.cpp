#include "mainwindow/Frm_Mainmenu.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTimer>
#include <cerrno>

#include "MainWindowFixture.h"
#include "Version.h"
#include "backup/Frm_Backup.h"
#include "backup/Frm_BackupOptions.h"
#include "backup/Frm_BackupWhere.h"
#include "backupsets/clsINI.h"
#include "common/DirListBox.h"
#include "common/clsLog.h"
#include "mainwindow/AboutPage.h"
#include "mainwindow/BackupPage.h"
#include "mainwindow/IniEditPage.h"
#include "mainwindow/LogPage.h"
#include "mainwindow/RestorePage.h"
#include "platform/AsciiCase.h"
#include "platform/AtomicFile.h"
#include "platform/SettingsStore.h"

namespace torvane {
namespace {

using test::onModal;
using test::readFile;
using test::writeFile;

class MainWindowTest : public test::MainWindowFixture {};

TEST_F(MainWindowTest, LoadListsSetsAndReselectsOnlyTheExactRememberedName) {
    writeFile(ctx.programHost / "weekly.ini", "");
    {
        Frm_Mainmenu window(*ctx.context);
        EXPECT_EQ(window.windowTitle(), "Torvane");
        EXPECT_EQ(window.backupPage->Cmb_BackupSet->count(), 2);
        EXPECT_EQ(window.restorePage->Cmb_RestoreFile->count(), 2);
        EXPECT_EQ(window.backupPage->Cmb_BackupSet->currentIndex(), -1);
        EXPECT_FALSE(window.iniEditPage->Cmd_Save->isEnabled());
        EXPECT_FALSE(window.backupPage->Dir_DirList->isEnabled());
        EXPECT_TRUE(window.backupPage->Cmd_Change->isEnabled());
        EXPECT_EQ(window.TAB_Backup->count(), 6);
        EXPECT_EQ(window.TAB_Backup->tabText(4), "Secure Data");
        window.selectBackupSet("DAILY.INI");
        window.close();
    }
    platform::SettingsStore store(ctx.host->settingsFolder(), "Torvane");
    EXPECT_EQ(store.get("Startup", "INI File"), "DAILY.INI");
    EXPECT_EQ(records().back().substr(0, 0), "");
    EXPECT_EQ(records()[records().size() - 2], "Application Closed - Unloaded by Close on Control menu.");
    {
        Frm_Mainmenu window(*ctx.context);
        QApplication::processEvents();
        EXPECT_EQ(window.backupPage->Cmb_BackupSet->currentText(), "DAILY.INI");
        EXPECT_EQ(window.backupPage->Fld_BackupWhere->text(), "C:\\BACKUPS\\");
        EXPECT_EQ(window.backupPage->Fld_BackupOptions->text(), "SubDir=ON, MultiVolume=OFF, Time=OFF");
        EXPECT_EQ(window.backupPage->Dir_DirList->path(), "C:\\Data");
        store.save("Startup", "INI File", "daily.ini");
    }
    Frm_Mainmenu window(*ctx.context);
    QApplication::processEvents();
    EXPECT_EQ(window.backupPage->Cmb_BackupSet->currentIndex(), -1);
    EXPECT_EQ(set().BackupFiles(), "C:\\DATA\\*.*");  // showing a set never rewrites it
}

TEST_F(MainWindowTest, InteractiveChecksStopBeforeAnythingIsWritten) {
    Frm_Mainmenu window(*ctx.context);
    ctx.prompts.answerMessage(MsgAnswer::Ok);
    window.backupPage->Cmd_Backup->click();
    EXPECT_EQ(ctx.prompts.recorded().size(), 1u);
    EXPECT_EQ(ctx.prompts.lastMessage().text.substr(0, 36), "Nothing has been selected to Backup.");
    EXPECT_TRUE(records().empty());

    window.selectBackupSet("DAILY.INI");
    ctx.prompts.answerMessage(MsgAnswer::No);
    window.backupPage->Cmd_Backup->click();
    EXPECT_EQ(ctx.prompts.lastMessage().text, "Are you sure that you wish to start the backup now?");
    EXPECT_TRUE(records().empty());
    EXPECT_TRUE(std::filesystem::is_empty(ctx.cRoot / "Backups"));
    EXPECT_TRUE(ctx.prompts.scriptUsedUp());
}

TEST_F(MainWindowTest, AMissingSourceFolderIsRefusedByItsDrivePath) {
    writeFile(ctx.programHost / "NOPE.INI",
              "[BACKUP SOURCE]\r\nBackupFiles=C:\\NOPE\\*.*\r\nBackupSubDirectories=ON\r\n[Destination]\r\n"
              "BackupFileName=NOPE\r\nMultiVolumeBackup=OFF\r\nBackupToDrive=C:\\BACKUPS\\\r\nTimeBackup=OFF\r\n");
    Frm_Mainmenu window(*ctx.context);
    window.selectBackupSet("NOPE.INI");  // the drive is there, so the folder list just shows its root
    EXPECT_EQ(window.backupPage->Dir_DirList->path(), "C:\\");
    ctx.prompts.answerMessage(MsgAnswer::Ok);
    window.Cmd_Backup_Click();
    ASSERT_EQ(ctx.prompts.recorded().size(), 1u);
    EXPECT_EQ(ctx.prompts.lastMessage().text, "Unable to continue with the Backup as C:\\NOPE\\ does not appear to exist.");
    EXPECT_EQ(ctx.prompts.lastMessage().icon, MsgIcon::Exclamation);
    EXPECT_EQ(ctx.prompts.lastMessage().title, "Backup");
    EXPECT_TRUE(records().empty());
    EXPECT_TRUE(std::filesystem::is_empty(ctx.cRoot / "Backups"));
}

TEST_F(MainWindowTest, BackupRunsToTheEndAndRecordsTheArchive) {
    Frm_Mainmenu window(*ctx.context);
    window.selectBackupSet("DAILY.INI");
    ctx.prompts.answerMessage(MsgAnswer::Yes);
    QString status;
    int items = -1;
    window.backupPage->setBackupAdjuster([&](zip::BackupRequest&) {
        okWhenDone(window);
        QObject::connect(window.backupPage->activeBackup()->Cmd_Ok, &QPushButton::pressed, [&] {
            status = window.backupPage->activeBackup()->Lbl_BackupPath->text();
            items = window.backupPage->activeBackup()->Lst_Details->model()->rowCount();
        });
    });
    window.backupPage->Cmd_Backup->click();
    EXPECT_EQ(status, "Backup Complete");
    EXPECT_EQ(items, 0);  // the list is cleared at the end
    EXPECT_EQ(records(), (std::vector<std::string>{"Starting Backup DAILY.INI",
                                                   "Creating Backup File C:\\BACKUPS\\DAILY.zip",
                                                   "Finished Backup DAILY.INI", "Backup Verified - 2 file(s)",
                                                   "Successful Backup"}));
    EXPECT_EQ(window.backupPage->lastResult(), RunResult::Success);
    EXPECT_EQ(zip::listArchive(ctx.cRoot / "Backups/DAILY.zip").size(), 2u);
    EXPECT_EQ(set().RestoreFromDrive(), "C:\\BACKUPS\\");
    EXPECT_EQ(set().RestoreFileName(), "DAILY.zip");
}

TEST_F(MainWindowTest, CancelLeavesTheRestoreInformationAlone) {
    Frm_Mainmenu window(*ctx.context);
    window.selectBackupSet("DAILY.INI");
    ctx.prompts.answerMessage(MsgAnswer::Yes);
    QString status;
    window.backupPage->setBackupAdjuster([&](zip::BackupRequest&) {
        window.backupPage->activeBackup()->Cmd_Cancel->click();
        EXPECT_FALSE(window.backupPage->activeBackup()->Cmd_Cancel->isEnabled());
        okWhenDone(window);
        QObject::connect(window.backupPage->activeBackup()->Cmd_Ok, &QPushButton::pressed,
                         [&] { status = window.backupPage->activeBackup()->Lbl_BackupPath->text(); });
    });
    window.backupPage->Cmd_Backup->click();
    EXPECT_EQ(status, "Backup Cancelled by User");
    const auto r = records();
    EXPECT_EQ(std::vector<std::string>(r.end() - 2, r.end()),
              (std::vector<std::string>{"Finished Backup DAILY.INI", "Cancelled by User"}));
    EXPECT_EQ(set().RestoreFileName(), "");
    EXPECT_FALSE(std::filesystem::exists(ctx.cRoot / "Backups/DAILY.zip"));
}

TEST_F(MainWindowTest, TerminationDuringABackupStopsItAndCloses) {
    Frm_Mainmenu window(*ctx.context);
    window.show();
    window.selectBackupSet("DAILY.INI");
    ctx.prompts.answerMessage(MsgAnswer::Yes);
    window.backupPage->setBackupAdjuster([&](zip::BackupRequest&) { window.terminate(); });
    window.backupPage->Cmd_Backup->click();
    EXPECT_FALSE(window.isVisible());
    const auto r = records();
    ASSERT_GE(r.size(), 3u);
    EXPECT_EQ(r[r.size() - 3], "Cancelled by User");
    EXPECT_EQ(r[r.size() - 2], "Application Closed - Unloaded by Windows Task Manager is ending.");
}

TEST_F(MainWindowTest, ACloseRefusedDuringABackupLeavesNoReasonBehind) {
    Frm_Mainmenu window(*ctx.context);
    window.show();
    window.selectBackupSet("DAILY.INI");
    ctx.prompts.answerMessage(MsgAnswer::Yes);
    window.backupPage->setBackupAdjuster([&](zip::BackupRequest&) {
        window.closeWithReason(2);  // the session end is asked for, refused, then called off
        EXPECT_TRUE(window.isVisible());
        okWhenDone(window);
    });
    window.Cmd_Backup_Click();
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(records().back(), "Successful Backup");
    window.close();  // the close box
    EXPECT_EQ(records()[records().size() - 2], "Application Closed - Unloaded by Close on Control menu.");
}

TEST_F(MainWindowTest, FailedBackupShowsTheReason) {
    Frm_Mainmenu window(*ctx.context);
    window.selectBackupSet("DAILY.INI");
    writeFile(ctx.cRoot / "Backups/DAILY.zip", "old");
    ctx.prompts.answerMessage(MsgAnswer::Yes);
    ctx.prompts.answerMessage(MsgAnswer::Ok);
    window.backupPage->setBackupAdjuster([&](zip::BackupRequest& request) {
        request.faults.failWriteAfterBytes = 1;
        okWhenDone(window);
    });
    window.backupPage->Cmd_Backup->click();
    EXPECT_EQ(ctx.prompts.lastMessage().title, "Backup");
    EXPECT_EQ(ctx.prompts.lastMessage().icon, MsgIcon::Exclamation);
    EXPECT_EQ(ctx.prompts.lastMessage().text.rfind("Backup Failed - ", 0), 0u);
    EXPECT_EQ(records().back(), ctx.prompts.lastMessage().text);
    EXPECT_EQ(readFile(ctx.cRoot / "Backups/DAILY.zip"), "old");
}

TEST_F(MainWindowTest, OptionsDialogRefusesThenWrites) {
    Frm_Mainmenu window(*ctx.context);
    EXPECT_FALSE(window.backupPage->Cmd_Options[1]->isEnabled());
    window.backupPage->Cmd_Change->click();
    ctx.prompts.answerMessage(MsgAnswer::Ok);
    window.backupPage->Cmd_Options[1]->click();
    EXPECT_EQ(ctx.prompts.lastMessage().text, "Please select a Backup Configuration first.");
    window.selectBackupSet("DAILY.INI");
    window.backupPage->Cmd_Change->click();
    ctx.prompts.answerMessage(MsgAnswer::Ok);
    onModal<Frm_BackupOptions>([&](Frm_BackupOptions* d) {
        EXPECT_TRUE(d->Chk_BackupSubDirectories->isChecked());
        EXPECT_FALSE(d->Chk_TimeBackup->isChecked());
        EXPECT_EQ(d->Fld_BackupFile->text(), "*.*");
        EXPECT_TRUE(d->Chk_Verify->isChecked());
        d->Chk_Verify->setChecked(false);
        d->Chk_MultiVolumeBackup->setChecked(true);
        d->Cmd_Ok->click();  // refused: the destination is a fixed drive
        EXPECT_TRUE(d->isVisible());
        d->Chk_MultiVolumeBackup->setChecked(false);
        d->Fld_BackupFile->clear();
        d->Fld_BackupFileName->setText("nightly");
        d->Cmd_Ok->click();
    });
    window.backupPage->Cmd_Options[0]->click();
    EXPECT_EQ(ctx.prompts.lastMessage().text.rfind("Unable to Save as you have selected the Multi Volume flag", 0), 0u);
    EXPECT_EQ(set().BackupFileName(), "NIGHTLY");
    EXPECT_EQ(set().BackupFiles(), "C:\\DATA\\*.*");
    EXPECT_FALSE(set().Verifies());
    EXPECT_EQ(window.backupPage->Lbl_BackupFileName->text(), "NIGHTLY");
    EXPECT_EQ(window.backupPage->Fld_BackupOptions->text(), "SubDir=ON, MultiVolume=OFF, Time=OFF");
}

TEST_F(MainWindowTest, ExclusionsAndKeepAreEditedInTheOptionsAndShownBesideThePattern) {
    Frm_Mainmenu window(*ctx.context);
    window.selectBackupSet("DAILY.INI");
    EXPECT_TRUE(window.backupPage->Lbl_Exclusions->isHidden()) << "nothing to show without exclusions";
    const std::string before = readFile(ctx.programHost / "DAILY.INI");
    window.backupPage->Cmd_Change->click();
    onModal<Frm_BackupOptions>([](Frm_BackupOptions* d) {
        EXPECT_EQ(d->Fld_Exclude->text(), "");
        EXPECT_EQ(d->Fld_Keep->text(), "");
        d->Cmd_Ok->click();
    });
    window.backupPage->Cmd_Options[2]->click();
    EXPECT_EQ(readFile(ctx.programHost / "DAILY.INI"), before) << "no change, no new keys";

    window.backupPage->Cmd_Change->click();
    onModal<Frm_BackupOptions>([](Frm_BackupOptions* d) {
        d->Fld_Exclude->setText("*.tmp;CACHE\\");
        d->Fld_Keep->setText("3");
        d->Cmd_Ok->click();
    });
    window.backupPage->Cmd_Options[2]->click();
    EXPECT_EQ(set().Exclude(), "*.tmp;CACHE\\");
    EXPECT_EQ(set().Keep(), "3");
    EXPECT_FALSE(window.backupPage->Lbl_Exclusions->isHidden());
    EXPECT_EQ(window.backupPage->Lbl_Exclusions->text(), "Exclude *.tmp;CACHE\\");
    EXPECT_EQ(window.backupPage->Lbl_FilestoBackup->text(), "*.*");

    window.selectBackupSet("DAILY.INI");
    EXPECT_EQ(window.backupPage->Lbl_Exclusions->text(), "Exclude *.tmp;CACHE\\");
    window.backupPage->Cmd_Change->click();
    onModal<Frm_BackupOptions>([](Frm_BackupOptions* d) {
        EXPECT_EQ(d->Fld_Exclude->text(), "*.tmp;CACHE\\");
        EXPECT_EQ(d->Fld_Keep->text(), "3");
        d->Fld_Exclude->clear();
        d->Cmd_Ok->click();
    });
    window.backupPage->Cmd_Options[2]->click();
    EXPECT_EQ(set().Exclude(), "");
    EXPECT_TRUE(window.backupPage->Lbl_Exclusions->isHidden());
}

TEST_F(MainWindowTest, DestinationDialogWritesUpperCaseAndShowsTheListsCase) {
    std::filesystem::create_directories(stick / "e/Backups");
    Frm_Mainmenu window(*ctx.context);
    window.backupPage->Cmd_Change->click();
    ctx.prompts.answerMessage(MsgAnswer::Ok);
    window.backupPage->Cmd_Navigate->click();
    EXPECT_EQ(ctx.prompts.lastMessage().text, "Please select a Backup Configuration.");
    window.selectBackupSet("DAILY.INI");
    window.backupPage->Cmd_Change->click();
    ctx.prompts.answerInput(std::string("Daily"));
    onModal<Frm_BackupWhere>([&](Frm_BackupWhere* d) {
        d->Form_Load();
        EXPECT_EQ(d->Dir_DirList->path(), "C:\\Backups");
        d->Dir_DirList->setPath("E:\\BACKUPS");
        d->Cmd_NewFolder->click();
        EXPECT_EQ(d->Dir_DirList->path(), "E:\\Backups\\Daily");
        d->Dir_DirList->setPath("E:\\BACKUPS");
        d->Cmd_Ok->click();
    });
    window.backupPage->Cmd_Navigate->click();
    EXPECT_TRUE(std::filesystem::is_directory(stick / "e/Backups/Daily"));
    EXPECT_EQ(set().BackupToDrive(), "E:\\BACKUPS\\");
    EXPECT_EQ(window.backupPage->Fld_BackupWhere->text(), "E:\\Backups");
}

TEST_F(MainWindowTest, NewSetIsCreatedAndAnExistingNameIsSelectedInstead) {
    Frm_Mainmenu window(*ctx.context);
    ctx.prompts.answerInput(std::string("x"));
    window.backupPage->Cmd_AddNew->click();
    EXPECT_TRUE(std::filesystem::exists(ctx.programHost / "x.INI"));
    EXPECT_EQ(window.backupPage->Cmb_BackupSet->currentText(), "x.INI");
    EXPECT_EQ(window.backupPage->Lbl_BackupFileName->text(), "X");
    EXPECT_EQ(window.restorePage->Cmb_RestoreFile->findText("x.INI"), window.restorePage->Cmb_RestoreFile->count() - 1);

    window.selectBackupSet("DAILY.INI");
    ctx.prompts.answerInput(std::string("X.ini"));
    ctx.prompts.answerMessage(MsgAnswer::Ok);
    window.backupPage->Cmd_AddNew->click();
    EXPECT_EQ(ctx.prompts.lastMessage().text, "Unable to Save the Configuration File as it already exists.");
    EXPECT_EQ(window.backupPage->Cmb_BackupSet->currentText(), "x.INI");
    EXPECT_FALSE(std::filesystem::exists(ctx.programHost / "X.ini"));

    ctx.prompts.answerInput(std::nullopt);
    window.backupPage->Cmd_AddNew->click();
    EXPECT_EQ(window.backupPage->Cmb_BackupSet->count(), 2);
}

TEST_F(MainWindowTest, UserFolderChangeWritesTheSetOnlyInEditMode) {
    Frm_Mainmenu window(*ctx.context);
    window.selectBackupSet("DAILY.INI");
    window.backupPage->Cmd_Change->click();
    EXPECT_TRUE(window.backupPage->Dir_DirList->isEnabled());
    EXPECT_FALSE(window.backupPage->Cmd_Change->isEnabled());
    auto* sub = window.backupPage->Dir_DirList->findItems("Sub", Qt::MatchEndsWith).value(0);
    ASSERT_NE(sub, nullptr);
    emit window.backupPage->Dir_DirList->itemActivated(sub);
    EXPECT_EQ(set().BackupFiles(), "C:\\Data\\Sub\\*.*");
}

TEST_F(MainWindowTest, LogPageReloadsAndStatesTheSize) {
    clsLog(*ctx.context, LogFlavour::utility()).WriteToLog("Backup", true, "x");
    std::string text = readFile(ctx.programHost / "Torvane.Log");
    text += std::string(51300 - text.size() - 2, 'y') + "\r\n";
    writeFile(ctx.programHost / "Torvane.Log", text);
    Frm_Mainmenu window(*ctx.context);
    window.TAB_Backup->setCurrentIndex(3);
    EXPECT_EQ(window.logPage->Lbl_LogHint->text(),
              "The Torvane Log File is being limited to a File Size of 50K.\r\nFile Current Size is 50K");
    EXPECT_TRUE(window.logPage->Fld_Log->toPlainText().endsWith(QString(10, 'y') + "\n"));
    EXPECT_FALSE(window.aboutPage->Tim_Flash->isActive());
    window.TAB_Backup->setCurrentIndex(5);
    EXPECT_TRUE(window.aboutPage->Tim_Flash->isActive());
    EXPECT_EQ(window.aboutPage->Fld_Version->text(), QString("%1.%2").arg(version::kMajor).arg(version::kMinor));
    EXPECT_EQ(window.aboutPage->Fld_Build->text(), QString::number(version::kRevision));
    {
        platform::FileReadFaultHook unreadable(
            [](const std::filesystem::path& file) { return platform::iequals(file.filename().string(), "Torvane.Log"); },
            EACCES);
        ctx.prompts.answerMessage(MsgAnswer::Ok);
        window.TAB_Backup->setCurrentIndex(3);
        EXPECT_EQ(ctx.prompts.lastMessage().text, "File Torvane.LOG cannot be read: Permission denied.");
        EXPECT_EQ(ctx.prompts.lastMessage().icon, MsgIcon::Critical);
    }
    window.Cmd_Exit->click();
    EXPECT_EQ(records()[records().size() - 2], "Application Closed - Unloaded by Invoked from code.");
}

TEST_F(MainWindowTest, SelectingAPageShowsItAfresh) {
    Frm_Mainmenu window(*ctx.context);
    window.selectBackupSet("DAILY.INI");
    window.TAB_Backup->setCurrentWidget(window.restorePage);
    EXPECT_FALSE(window.aboutPage->Tim_Flash->isActive());
    std::string text = readFile(ctx.programHost / "DAILY.INI");
    text.replace(text.find("BackupFileName=DAILY"), 20, "BackupFileName=NIGHT");
    writeFile(ctx.programHost / "DAILY.INI", text);
    EXPECT_EQ(window.backupPage->Lbl_BackupFileName->text(), "DAILY");
    window.TAB_Backup->setCurrentWidget(window.backupPage);
    EXPECT_EQ(window.backupPage->Lbl_BackupFileName->text(), "NIGHT");

    clsLog(*ctx.context, LogFlavour::utility()).WriteToLog("Backup", true, "after the window opened");
    window.TAB_Backup->setCurrentWidget(window.logPage);
    EXPECT_TRUE(window.logPage->Fld_Log->toPlainText().contains("after the window opened"));
}

TEST_F(MainWindowTest, EveryControlAUserCanReachHasAnAccessibleName) {
    Frm_Mainmenu window(*ctx.context);  // no set selected, so no combo box is named by its text
    QStringList unnamed;
    for (QWidget* w : window.findChildren<QWidget*>()) {
        if (w->focusPolicy() == Qt::NoFocus) continue;
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(w);
        ASSERT_NE(face, nullptr);
        // "..." is a caption but says nothing to a listener.
        if (!face->text(QAccessible::Name).contains(QRegularExpression("[A-Za-z]")))
            unnamed << (w->objectName().isEmpty() ? QString(w->metaObject()->className()) : w->objectName());
    }
    EXPECT_TRUE(unnamed.isEmpty()) << unnamed.join(", ").toStdString();
}

}  // namespace
}  // namespace torvane
