// Renders the utility's windows into PNG files for the documentation:
//   torvane-screenshots OUTPUT_FOLDER
// Each window is built over a throw-away program folder with a sample set and grabbed as the
// program itself draws it.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QProgressBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTreeView>

#include <fstream>
#include <iostream>

#include "backup/Frm_Backup.h"
#include "backup/Frm_BackupOptions.h"
#include "common/DetailList.h"
#include "common/SilentPrompts.h"
#include "common/clsLog.h"
#include "mainwindow/AboutPage.h"
#include "mainwindow/BackupPage.h"
#include "mainwindow/Frm_EmailSettings.h"
#include "mainwindow/Frm_Mainmenu.h"
#include "mainwindow/IniEditPage.h"
#include "mainwindow/LogPage.h"
#include "mainwindow/RestorePage.h"
#include "mainwindow/SecureDataPage.h"
#include "mainwindow/SecureFolderModel.h"
#include "restore/Frm_Restore.h"
#include "restore/Frm_RestoreWhere.h"
#include "restore/clsCfg.h"

using namespace torvane;

namespace {

void write(const std::filesystem::path& file, const std::string& text) {
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
}

bool save(QWidget& widget, const QString& folder, const QString& name) {
    widget.show();
    QApplication::processEvents();
    const bool ok = widget.grab().save(folder + "/" + name + ".png");
    std::cout << (ok ? "wrote " : "FAILED ") << name.toStdString() << ".png\n";
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: torvane-screenshots OUTPUT_FOLDER\n";
        return 2;
    }
    QApplication app(argc, argv);
    const QString out = QDir(argv[1]).absolutePath();
    QDir().mkpath(out);
    QTemporaryDir temp;
    const std::filesystem::path root = temp.path().toStdString();
    const auto program = root / "c/Torvane";
    write(root / "c/Documents/Letters/2026-11.txt", "Dear ...\n");
    write(root / "c/Documents/Accounts.ods", "sheet");
    std::filesystem::create_directories(root / "c/Documents/Photos");
    std::filesystem::create_directories(root / "stick/BACKUPS");
    write(program / "DAILY.INI",
          "[BACKUP SOURCE]\r\nBackupFiles=C:\\DOCUMENTS\\*.*\r\nBackupSubDirectories=ON\r\n[DESTINATION]\r\n"
          "BackupFileName=DAILY\r\nMultiVolumeBackup=OFF\r\nBackupToDrive=C:\\\r\nTimeBackup=ON\r\n"
          "[RESTORE SOURCE]\r\nRestoreFromDrive=C:\\20261205_213000\\\r\nRestoreFileName=DAILY.zip\r\n"
          "[OPTIONS]\r\nExclude=*.tmp;CACHE\\;.cache\\;node_modules\\\r\nKeep=7\r\n");
    write(program / "WEEKLY.INI", "");
    std::filesystem::copy(TORVANE_ASSETS_DIR "/System", program / "System", std::filesystem::copy_options::recursive);
    write(root / "settings/Drives.ini", "[Drives]\r\nC=" + (root / "c").string() + "\r\nE=" +
                                            (root / "stick").string() + ", removable\r\n");
    platform::HostConfig config;
    config.settingsFolder = root / "settings";
    config.executableFolder = program;
    platform::Host host(config);
    SilentPrompts prompts;
    platform::SystemClock clock;
    Globals globals;
    globals.sLogFile = host.programFolder() + "\\Torvane.Log";
    AppContext context{host, prompts, clock, globals, ""};
    clsLog log(context, LogFlavour::utility());
    log.WriteToLog("Startup", true);
    log.WriteToLog("Command Line", true);
    log.WriteToLog("Backup", true, "Starting Backup DAILY.INI");
    log.WriteToLog("Backup", true, "Finished Backup DAILY.INI");
    log.WriteToLog("Backup", true, "Successful Backup");

    zip::BackupRequest sample;
    sample.sourceFolder = root / "c/Documents";
    sample.recurse = true;
    sample.nameBase = root / "c";
    sample.archive = root / "c/20261205_213000/DAILY.zip";
    zip::NoEvents quiet;
    zip::createArchive(sample, quiet);
    clsCfg(context).Protected_Add("C:\\DOCUMENTS\\LETTERS");
    std::filesystem::create_directories(root / "c/Restored");

    bool ok = true;
    Frm_Mainmenu window(context);
    window.resize(720, 520);
    window.selectBackupSet("DAILY.INI");
    const std::pair<QWidget*, const char*> pages[] = {
        {window.backupPage, "backup"}, {window.restorePage, "restore"},     {window.iniEditPage, "ini-edit"},
        {window.logPage, "log"},       {window.securePage, "secure-data"}, {window.aboutPage, "about"}};
    for (const auto& [page, name] : pages) {
        window.TAB_Backup->setCurrentWidget(page);
        if (page == window.iniEditPage) {
            QListWidget* files = window.iniEditPage->Fil_INI;
            files->setCurrentItem(files->findItems("DAILY.INI", Qt::MatchExactly).value(0));
        }
        if (page == window.restorePage) {
            RestorePage& restore = *window.restorePage;
            restore.Cmb_RestoreFile->setCurrentIndex(restore.Cmb_RestoreFile->findText("DAILY.INI"));
            restore.Cmb_RestoreFile_Click();
            restore.Fld_RestoreTo->setText("C:\\RESTORED");
        }
        if (page == window.securePage) {
            QTreeView* tree = window.securePage->TV_SecureMode;
            for (int row = 0; row < tree->model()->rowCount(); ++row) {
                const QModelIndex node = tree->model()->index(row, 0);
                if (node.data().toString() != "Documents") continue;
                tree->expand(node);
                tree->setCurrentIndex(tree->model()->index(1, 0, node));  // beside the protected one
            }
        }
        ok &= save(window, out, QString("main-window-") + name);
    }
    window.TAB_Backup->setCurrentWidget(window.backupPage);

    BackupPage& backup = *window.backupPage;
    Frm_BackupOptions options(context, "DAILY.INI",
                              {backup.Fld_BackupWhere, backup.Fld_BackupOptions, backup.Lbl_FilestoBackup,
                               backup.Lbl_BackupFileName, backup.Lbl_Exclusions});
    ok &= save(options, out, "backup-options");

    Frm_EmailSettings mail(context);
    mail.Txt_Server->setText("smtp://mail.example.org:587");
    mail.Chk_StartTLS->setChecked(true);
    mail.Txt_User->setText("alice");
    mail.Txt_Password->setText("password");
    mail.Txt_Sender->setText("alice@example.org");
    ok &= save(mail, out, "email-settings");

    Frm_Backup progress(context, "DAILY.INI", false);
    progress.setAttribute(Qt::WA_DontShowOnScreen);
    progress.Lbl_BackupPath->setText("C:\\Documents\\Letters\\2026-11.txt");
    progress.PB_Folder->setValue(64);
    progress.PB_File->setValue(38);
    auto* details = qobject_cast<DetailList*>(progress.Lst_Details->model());
    details->append({"C:\\Documents\\Accounts.ods", "C:\\Documents\\Letters\\2026-11.txt"});
    progress.Lst_Details->setCurrentIndex(details->index(1));
    const QPixmap shot = progress.grab();
    ok &= shot.save(out + "/backup-progress.png");
    std::cout << "wrote backup-progress.png\n";

    Frm_RestoreWhere where(context, window.restorePage->Fld_RestoreTo);
    where.Form_Load();
    ok &= save(where, out, "restore-where");

    Frm_Restore restoring(context, {"DAILY.INI", "", "C:\\RESTORED"}, {}, std::nullopt);
    restoring.Lbl_BackupPath->setText("C:\\RESTORED\\Documents\\Letters\\2026-11.txt");
    restoring.PB_Folder->setValue(71);
    restoring.PB_File->setValue(52);
    auto* restored = qobject_cast<DetailList*>(restoring.Lst_Details->model());
    restored->append({"C:\\RESTORED\\Documents\\Accounts.ods", "C:\\RESTORED\\Documents\\Letters\\2026-11.txt"});
    restoring.Lst_Details->setCurrentIndex(restored->index(1));
    ok &= restoring.grab().save(out + "/restore-progress.png");
    std::cout << "wrote restore-progress.png\n";
    return ok ? 0 : 1;
}
