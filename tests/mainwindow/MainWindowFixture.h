#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include "TestContext.h"
#include "backup/Frm_Backup.h"
#include "backupsets/clsINI.h"
#include "common/clsLog.h"
#include "mainwindow/BackupPage.h"
#include "mainwindow/Frm_Mainmenu.h"
#include "mainwindow/RestorePage.h"
#include "restore/Frm_Restore.h"

namespace torvane::test {

// Runs `act` on the modal window that the next blocking call opens.
template <typename Window, typename Act>
void onModal(Act act) {
    QTimer::singleShot(0, [act] {
        auto* w = qobject_cast<Window*>(QApplication::activeModalWidget());
        ASSERT_NE(w, nullptr) << "no modal window of the expected kind";
        act(w);
    });
}

// Drive C: holds C:\DATA (a.txt, Sub\b.txt) and an empty C:\BACKUPS; the program folder holds
// DAILY.INI, which backs C:\DATA up into C:\BACKUPS\DAILY.zip and has not been backed up yet.
class MainWindowFixture : public ::testing::Test {
  protected:
    MainWindowFixture() : ctx("E=" + (stick / "e").string() + ", removable\r\n") {
        std::filesystem::create_directories(stick / "e");
        writeFile(ctx.cRoot / "Data/a.txt", "alpha");
        writeFile(ctx.cRoot / "Data/Sub/b.txt", "beta");
        std::filesystem::create_directories(ctx.cRoot / "Backups");
        writeFile(
            ctx.programHost / "DAILY.INI",
            "[BACKUP "
            "SOURCE]\r\nBackupFiles=C:\\DATA\\*.*\r\nBackupSubDirectories=ON\r\n[Destination]\r\n"
            "BackupFileName=DAILY\r\nMultiVolumeBackup=OFF\r\nBackupToDrive=C:"
            "\\BACKUPS\\\r\nTimeBackup=OFF\r\n"
            "[RESTORE SOURCE]\r\nRestoreFromDrive=\r\nRestoreFileName=\r\n"
            "[RESTORE DESTINATION]\r\nRestoreDestination=\r\n");
    }

    // The log's records after its header, without the date column.
    std::vector<std::string> records() {
        const auto log = ctx.programHost / "Torvane.Log";
        if (!std::filesystem::exists(log)) return {};
        const auto lines = splitLogLines(readFile(log));
        std::vector<std::string> out;
        for (size_t i = 12; i < lines.size(); ++i)
            out.push_back(lines[i].size() > 20 ? lines[i].substr(20) : lines[i]);
        return out;
    }
    clsINI set(const std::string& name = "DAILY.INI") {
        clsINI ini(*ctx.context);
        ini.Read_INI("C:\\PROG\\" + name);
        return ini;
    }
    // Presses OK on the backup's progress window once its run has ended.
    static void okWhenDone(Frm_Mainmenu& window) {
        auto* timer = new QTimer(&window);
        QObject::connect(timer, &QTimer::timeout, [timer, &window] {
            Frm_Backup* progress = window.backupPage->activeBackup();
            if (!progress || !progress->outcome()) return;
            progress->Cmd_Ok->click();
            timer->deleteLater();
        });
        timer->start(5);
    }
    // Zips C:\DATA into `archive` as a backup of DAILY.INI would, members named from the root.
    void zipData(const std::filesystem::path& archive) {
        zip::BackupRequest request;
        request.sourceFolder = ctx.cRoot / "Data";
        request.recurse = true;
        request.nameBase = ctx.cRoot;
        request.archive = archive;
        zip::NoEvents events;
        ASSERT_EQ(zip::createArchive(request, events).status, zip::Outcome::Status::Success);
    }
    // Records `drive` + `file` as the set's last archive.
    void recordArchive(const std::string& drive, const std::string& file) {
        std::string text = readFile(ctx.programHost / "DAILY.INI");
        text.replace(text.find("RestoreFromDrive=\r\n"), 19, "RestoreFromDrive=" + drive + "\r\n");
        text.replace(text.find("RestoreFileName=\r\n"), 18, "RestoreFileName=" + file + "\r\n");
        writeFile(ctx.programHost / "DAILY.INI", text);
    }
    static void chooseSet(RestorePage& page, const QString& name) {
        const int index = page.Cmb_RestoreFile->findText(name);
        ASSERT_GE(index, 0);
        page.Cmb_RestoreFile->setCurrentIndex(index);
        emit page.Cmb_RestoreFile->activated(index);
    }
    // Presses "&Restore Now", waits for the run to end and presses OK; returns the final status.
    static QString restoreNow(RestorePage& page) {
        QString status;
        auto* timer = new QTimer(&page);
        QObject::connect(timer, &QTimer::timeout, [timer, &page, &status] {
            Frm_Restore* progress = page.activeRestore();
            if (!progress || !progress->outcome()) return;
            status = progress->Lbl_BackupPath->text();
            progress->Cmd_Ok->click();
            timer->deleteLater();
        });
        timer->start(5);
        page.Cmd_Restore->click();
        return status;
    }

    TempDir stick;
    TestContext ctx;
};

}  // namespace torvane::test
