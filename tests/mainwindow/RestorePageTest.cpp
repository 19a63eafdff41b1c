#include <sys/stat.h>

#include <QDateTime>
#include <QTreeView>

#include "MainWindowFixture.h"
#include "common/DirListBox.h"
#include "mainwindow/ArchiveListModel.h"
#include "mainwindow/BackupPage.h"
#include "restore/Frm_RestoreWhere.h"

namespace torvane {
namespace {

using test::onModal;
using test::readFile;
using test::writeFile;
using Kind = test::ScriptedPrompts::Kind;

long long fileSeconds(const std::filesystem::path& file) {
    struct stat st {};
    EXPECT_EQ(::stat(file.c_str(), &st), 0);
    return st.st_mtime;
}

class RestorePageTest : public test::MainWindowFixture {
  protected:
    QStringList listedNames(RestorePage& page) {
        QStringList names;
        const QAbstractItemModel* model = page.TV_Restore->model();
        for (int row = 0; row < model->rowCount(); ++row)
            names << model->index(row, 0).data().toString();
        return names;
    }
};

TEST_F(RestorePageTest, ASetListsItsArchiveWholeAndBrowsingKeepsItOnlyForThatArchive) {
    writeFile(ctx.cRoot / "Data/tab\there.txt", "0123456789");
    zipData(ctx.cRoot / "Backups/DAILY.zip");
    std::filesystem::copy_file(ctx.cRoot / "Backups/DAILY.zip", ctx.cRoot / "Backups/OTHER.zip");
    recordArchive("C:\\BACKUPS\\", "DAILY.zip");
    Frm_Mainmenu window(*ctx.context);
    RestorePage& page = *window.restorePage;
    EXPECT_EQ(page.Cmb_RestoreFile->count(), window.backupPage->Cmb_BackupSet->count());
    EXPECT_EQ(page.Fld_Total->text(), "0");

    chooseSet(page, "DAILY.INI");
    EXPECT_EQ(page.Fld_RestoreFile->text(), "C:\\BACKUPS\\DAILY.zip");
    const auto members = zip::listArchive(ctx.cRoot / "Backups/DAILY.zip");
    ASSERT_EQ(page.TV_Restore->model()->rowCount(), static_cast<int>(members.size()));
    EXPECT_EQ(page.Fld_Total->text(),
              QString::number(members.size()));  // every member, none left out
    EXPECT_FALSE(page.TV_Restore->isHidden());
    const QStringList names = listedNames(page);
    EXPECT_TRUE(names.contains("Data/a.txt"));
    EXPECT_TRUE(names.contains("Data/Sub/b.txt"));
    EXPECT_TRUE(names.contains(QString("Data/tab") + QChar(0x2409) +
                               "here.txt"));  // the tab, as its picture
    const int row =
        static_cast<int>(names.indexOf(QString("Data/tab") + QChar(0x2409) + "here.txt"));
    const QAbstractItemModel* model = page.TV_Restore->model();
    EXPECT_EQ(model->index(row, ArchiveListModel::kSize).data().toString(), "10");
    EXPECT_EQ(model->headerData(ArchiveListModel::kModified, Qt::Horizontal).toString(),
              "Modified");
    const int rowA = static_cast<int>(names.indexOf("Data/a.txt"));
    for (const zip::MemberInfo& m : members) {
        if (m.name != "Data/a.txt") continue;
        EXPECT_EQ(model->index(rowA, ArchiveListModel::kModified).data().toString(),
                  QDateTime::fromSecsSinceEpoch(static_cast<qint64>(m.modified))
                      .toString("dd/MM/yyyy HH:mm:ss"));
        EXPECT_NEAR(static_cast<double>(m.modified),
                    static_cast<double>(fileSeconds(ctx.cRoot / "Data/a.txt")), 2.0);
    }

    // The same archive typed in another case: the set stays chosen.
    ctx.prompts.answerOpenFile(std::string("c:\\backups\\daily.ZIP"));
    page.Cmd_RestoreFile->click();
    const auto& browse = ctx.prompts.recorded().back();
    EXPECT_EQ(browse.kind, Kind::OpenFile);
    EXPECT_EQ(browse.message.title, "Select a Restore File");
    EXPECT_EQ(browse.message.text, "Restore Files (*.zip)");
    EXPECT_EQ(browse.defaultText, "C:\\BACKUPS\\DAILY.zip");
    EXPECT_EQ(page.Cmb_RestoreFile->currentText(), "DAILY.INI");
    EXPECT_EQ(page.Fld_RestoreFile->text(), "c:\\backups\\daily.ZIP");

    // Cancel changes nothing.
    ctx.prompts.answerOpenFile(std::nullopt);
    page.Cmd_RestoreFile->click();
    EXPECT_EQ(page.Fld_RestoreFile->text(), "c:\\backups\\daily.ZIP");
    EXPECT_EQ(page.Cmb_RestoreFile->currentText(), "DAILY.INI");
    EXPECT_EQ(page.TV_Restore->model()->rowCount(), static_cast<int>(members.size()));

    // Another archive: the set is let go, so the browsed archive is what a restore reads.
    ctx.prompts.answerOpenFile(std::string("C:\\BACKUPS\\OTHER.zip"));
    page.Cmd_RestoreFile->click();
    EXPECT_EQ(page.Cmb_RestoreFile->currentIndex(), -1);
    EXPECT_EQ(page.Fld_RestoreFile->text(), "C:\\BACKUPS\\OTHER.zip");
    EXPECT_TRUE(ctx.prompts.scriptUsedUp());
}

TEST_F(RestorePageTest, ASetWithoutAnArchiveIsLetGoAndAMissingArchiveIsNamedInFull) {
    zipData(ctx.cRoot / "Backups/OTHER.zip");
    writeFile(ctx.programHost / "NEVER.INI", "[RESTORE SOURCE]\r\nRestoreFromDrive=\r\n");
    recordArchive("E:\\", "DAILY.zip");  // a disk that is no longer in the drive
    Frm_Mainmenu window(*ctx.context);
    RestorePage& page = *window.restorePage;
    ctx.prompts.answerOpenFile(std::string("C:\\BACKUPS\\OTHER.zip"));
    page.Cmd_RestoreFile->click();
    const int listed = page.TV_Restore->model()->rowCount();
    ASSERT_GT(listed, 0);

    ctx.prompts.answerMessage(MsgAnswer::Ok);
    chooseSet(page, "NEVER.INI");
    EXPECT_EQ(ctx.prompts.lastMessage().text,
              "There is no Restore Information available for this Backupset.\r\n"
              "Please select a new Backupset to Restore From or manually select a file.");
    EXPECT_EQ(ctx.prompts.lastMessage().icon, MsgIcon::Exclamation);
    EXPECT_EQ(ctx.prompts.lastMessage().title, "Restore");
    EXPECT_EQ(page.Cmb_RestoreFile->currentIndex(), -1);
    EXPECT_EQ(page.Fld_RestoreFile->text(),
              "C:\\BACKUPS\\OTHER.zip");  // what was chosen before stays
    EXPECT_EQ(page.TV_Restore->model()->rowCount(), listed);

    ctx.prompts.answerMessage(MsgAnswer::Ok);
    chooseSet(page, "DAILY.INI");
    EXPECT_EQ(ctx.prompts.lastMessage().text,
              "This configuration file indicates that a backup file was created but it no longer "
              "appears to "
              "exist.\r\n\r\nFile being sought is E:\\DAILY.zip\r\n\r\nIf the File is from a "
              "Removable Drive then "
              "place the disk into the drive now and try again.");
    EXPECT_EQ(page.Cmb_RestoreFile->currentIndex(), -1);
    EXPECT_EQ(page.Fld_RestoreFile->text(), "");
    EXPECT_EQ(page.TV_Restore->model()->rowCount(), 0);
    EXPECT_EQ(page.Fld_Total->text(), "0");
    EXPECT_TRUE(ctx.prompts.scriptUsedUp());
}

TEST_F(RestorePageTest, AnArchiveThatCannotBeReadIsReportedAndListsNothing) {
    writeFile(ctx.cRoot / "Backups/BROKEN.zip", "this is no archive at all");
    Frm_Mainmenu window(*ctx.context);
    RestorePage& page = *window.restorePage;
    ctx.prompts.answerOpenFile(std::string("C:\\BACKUPS\\BROKEN.zip"));
    ctx.prompts.answerMessage(MsgAnswer::Ok);
    page.Cmd_RestoreFile->click();
    EXPECT_EQ(ctx.prompts.lastMessage().title, "Restore");
    EXPECT_EQ(ctx.prompts.lastMessage().text.rfind(
                  "Unable to list C:\\BACKUPS\\BROKEN.zip\r\n\r\nC:\\BACKUPS\\BROKEN.zip", 0),
              0u)
        << ctx.prompts.lastMessage().text;
    EXPECT_EQ(page.TV_Restore->model()->rowCount(), 0);
    EXPECT_EQ(page.Fld_Total->text(), "0");
    EXPECT_EQ(page.Fld_RestoreFile->text(), "C:\\BACKUPS\\BROKEN.zip");
}

TEST_F(RestorePageTest, TheDestinationIsChosenAfterTheCautionAndTakenInUpperCase) {
    zipData(ctx.cRoot / "Backups/OTHER.zip");
    Frm_Mainmenu window(*ctx.context);
    RestorePage& page = *window.restorePage;

    // Nothing to restore yet: a hint, no caution, no dialog.
    ctx.prompts.answerMessage(MsgAnswer::Ok);
    page.Cmd_RestoreTo->click();
    ASSERT_EQ(ctx.prompts.recorded().size(), 1u);
    EXPECT_EQ(ctx.prompts.lastMessage().text, "Please select a Backup File to Restore.");
    EXPECT_EQ(ctx.prompts.lastMessage().icon, MsgIcon::Information);
    EXPECT_EQ(ctx.prompts.lastMessage().title, "Backup");

    ctx.prompts.answerOpenFile(std::string("C:\\BACKUPS\\OTHER.zip"));
    page.Cmd_RestoreFile->click();
    ctx.prompts.answerMessage(MsgAnswer::Ok);
    ctx.prompts.answerInput(std::string("Reports"));
    ctx.prompts.answerInput(std::string("Reports"));
    ctx.prompts.answerInput(std::string(""));
    onModal<Frm_RestoreWhere>([&](Frm_RestoreWhere* d) {
        d->Form_Load();
        EXPECT_EQ(d->windowTitle(), "Restore To Where?");
        EXPECT_EQ(d->Dir_DirList->path(), "C:\\");
        d->Dir_DirList->setPath("C:\\DATA");
        d->Cmd_NewFolder->click();
        EXPECT_EQ(d->Dir_DirList->path(), "C:\\Data\\Reports");
        d->Dir_DirList->setPath("C:\\");
        d->Cmd_NewFolder->click();
        EXPECT_EQ(d->Dir_DirList->path(), "C:\\Reports");
        d->Cmd_NewFolder->click();  // an empty name makes nothing
        EXPECT_EQ(d->Dir_DirList->path(), "C:\\Reports");
        d->Dir_DirList->setPath("c:\\data");
        d->Cmd_Ok->click();
    });
    page.Cmd_RestoreTo->click();
    const MessageRequest& caution = ctx.prompts.recorded()[2].message;
    EXPECT_EQ(caution.icon, MsgIcon::Critical);
    EXPECT_EQ(caution.title, "Restore");
    EXPECT_EQ(caution.text,
              "Torvane has been designed to allow the user to manualy select the Restore Location "
              "themselves as "
              "this can cause major risks to Users Data.\r\n\r\nPLEASE SELECT THE RESTORE LOCATION "
              "WITH CARE!");
    EXPECT_TRUE(std::filesystem::is_directory(ctx.cRoot / "Data/Reports"));
    EXPECT_TRUE(std::filesystem::is_directory(ctx.cRoot / "Reports"));
    EXPECT_EQ(page.Fld_RestoreTo->text(), "C:\\DATA");

    // The dialog opens on the chosen folder; Cancel keeps it.
    ctx.prompts.answerMessage(MsgAnswer::Ok);
    onModal<Frm_RestoreWhere>([&](Frm_RestoreWhere* d) {
        d->Form_Load();
        EXPECT_EQ(d->Dir_DirList->path(), "C:\\Data");
        d->Dir_DirList->setPath("C:\\BACKUPS");
        d->Cmd_Cancel->click();
    });
    page.Cmd_RestoreTo->click();
    EXPECT_EQ(page.Fld_RestoreTo->text(), "C:\\DATA");

    // A destination that has gone since: named, and the dialog opens on the program's drive.
    std::filesystem::remove_all(ctx.cRoot / "Data/Reports");
    page.Fld_RestoreTo->setText("C:\\DATA\\REPORTS");
    ctx.prompts.answerMessage(MsgAnswer::Ok);
    ctx.prompts.answerMessage(MsgAnswer::Ok);
    onModal<Frm_RestoreWhere>([&](Frm_RestoreWhere* d) {
        d->Form_Load();
        EXPECT_EQ(d->Dir_DirList->path(), "C:\\");
        d->Cmd_Cancel->click();
    });
    page.Cmd_RestoreTo->click();
    EXPECT_EQ(ctx.prompts.lastMessage().text,
              "Unable to find C:\\DATA\\REPORTS\r\nPlease select an available path.");
    EXPECT_EQ(ctx.prompts.lastMessage().title, "Restore To Where");
    EXPECT_EQ(ctx.prompts.lastMessage().icon, MsgIcon::Exclamation);
    EXPECT_TRUE(ctx.prompts.scriptUsedUp());
}

TEST_F(RestorePageTest, RestoreNowRefusesWithoutAnArchiveOrADestination) {
    zipData(ctx.cRoot / "Backups/OTHER.zip");
    Frm_Mainmenu window(*ctx.context);
    RestorePage& page = *window.restorePage;
    ctx.prompts.answerMessage(MsgAnswer::Ok);
    page.Cmd_Restore->click();
    EXPECT_EQ(ctx.prompts.lastMessage().text,
              "Nothing has been selected to Restore.\r\n\r\nPlease enter a valid Restore File.");
    ctx.prompts.answerOpenFile(std::string("C:\\BACKUPS\\OTHER.zip"));
    page.Cmd_RestoreFile->click();
    ctx.prompts.answerMessage(MsgAnswer::Ok);
    page.Cmd_Restore->click();
    EXPECT_EQ(ctx.prompts.lastMessage().text.rfind(
                  "No Location has been selected to Restore the File To.\r\n\r\n", 0),
              0u);
    EXPECT_EQ(ctx.prompts.lastMessage().title, "Restore");
    EXPECT_TRUE(records().empty());
    EXPECT_TRUE(ctx.prompts.scriptUsedUp());
}

}  // namespace
}  // namespace torvane
