#include <fcntl.h>
#include <sys/stat.h>
#include <zlib.h>

#include <QProgressBar>
#include <algorithm>
#include <map>
#include <random>

#include "MainWindowFixture.h"
#include "backup/Frm_Backup.h"
#include "common/DirListBox.h"
#include "mainwindow/BackupPage.h"
#include "restore/Frm_RestoreWhere.h"
#include "restore/clsCfg.h"

namespace torvane {
namespace {

using test::onModal;
using test::readFile;
using test::writeFile;

struct Facts {
    std::string content;
    unsigned mode = 0;
    long long mtime = 0;
    bool operator==(const Facts&) const = default;
};

// The regular files below `root` by relative path, with their bytes, permission bits and time.
std::map<std::string, Facts> snapshot(const std::filesystem::path& root) {
    std::map<std::string, Facts> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file()) continue;
        struct stat st {};
        ::stat(entry.path().c_str(), &st);
        files[std::filesystem::relative(entry.path(), root).generic_string()] =
            Facts{readFile(entry.path()), static_cast<unsigned>(st.st_mode & 07777), st.st_mtime};
    }
    return files;
}

void setTime(const std::filesystem::path& file, long long seconds) {
    const timespec times[2] = {{seconds, 0}, {seconds, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
}

std::string le32(std::uint32_t v) {
    return {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
            static_cast<char>(v >> 24)};
}

void replaceAll(std::string& bytes, const std::string& from, const std::string& to) {
    for (size_t at = bytes.find(from); at != std::string::npos;
         at = bytes.find(from, at + to.size()))
        bytes.replace(at, from.size(), to);
}

bool contains(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

class RestoreRunWindowTest : public test::MainWindowFixture {
  protected:
    // Backs DAILY.INI up through the backup page and presses OK at the end.
    void backUpThroughTheWindow(Frm_Mainmenu& window) {
        window.selectBackupSet("DAILY.INI");
        ctx.prompts.answerMessage(MsgAnswer::Yes);
        window.backupPage->setBackupAdjuster([&](zip::BackupRequest&) { okWhenDone(window); });
        window.Cmd_Backup_Click();
        ASSERT_EQ(records().back(), "Successful Backup");
    }
    // Chooses the destination through the caution and the dialog.
    void chooseDestination(RestorePage& page, const QString& folder) {
        ctx.prompts.answerMessage(MsgAnswer::Ok);
        onModal<Frm_RestoreWhere>([folder](Frm_RestoreWhere* d) {
            d->Form_Load();
            ASSERT_TRUE(d->Dir_DirList->setPath(folder));
            d->Cmd_Ok->click();
        });
        page.Cmd_RestoreTo->click();
    }
};

TEST_F(RestoreRunWindowTest, ABackupComesBackWholeAndAProtectedFolderIsRenamedAside) {
    ::chmod((ctx.cRoot / "Data/a.txt").c_str(), 0640);
    ::chmod((ctx.cRoot / "Data/Sub/b.txt").c_str(), 0755);
    writeFile(ctx.cRoot / "Data/Sub/Deeper/c.bin", std::string("\0\1\2\3\xff", 5));
    setTime(ctx.cRoot / "Data/a.txt", 1600000000);
    setTime(ctx.cRoot / "Data/Sub/b.txt", 1500000002);
    std::filesystem::create_directories(ctx.cRoot / "Out");
    Frm_Mainmenu window(*ctx.context);
    backUpThroughTheWindow(window);

    RestorePage& page = *window.restorePage;
    chooseSet(page, "DAILY.INI");
    EXPECT_EQ(page.Fld_RestoreFile->text(), "C:\\BACKUPS\\DAILY.zip");
    chooseDestination(page, "C:\\Out");
    EXPECT_EQ(page.Fld_RestoreTo->text(), "C:\\OUT");
    const size_t before = records().size();
    EXPECT_EQ(restoreNow(page), "Restore Complete");
    EXPECT_EQ(snapshot(ctx.cRoot / "Out/Data"), snapshot(ctx.cRoot / "Data"));
    EXPECT_EQ(snapshot(ctx.cRoot / "Out/Data")["a.txt"].mode, 0640u);
    const auto first = records();
    EXPECT_EQ(std::vector<std::string>(first.begin() + static_cast<long>(before), first.end()),
              (std::vector<std::string>{"Starting Restore from DAILY.INI",
                                        "Finished Restore from DAILY.INI"}));
    EXPECT_EQ(set().RestoreDestination(), "C:\\OUT");

    // The user protects a restored folder and changes it; the next restore leaves it aside.
    clsCfg(*ctx.context).Protected_Add("C:\\OUT\\DATA\\SUB");
    writeFile(ctx.cRoot / "Out/Data/Sub/b.txt", "the user's newer b");
    writeFile(ctx.cRoot / "Out/Data/Sub/mine.txt", "only here");
    page.Fld_RestoreTo->setText("c:\\out\\");
    const size_t second = records().size();
    EXPECT_EQ(restoreNow(page), "Restore Complete");
    EXPECT_EQ(readFile(ctx.cRoot / "Out/Data/SUB_001/b.txt"), "the user's newer b");
    EXPECT_EQ(readFile(ctx.cRoot / "Out/Data/SUB_001/mine.txt"), "only here");
    EXPECT_EQ(readFile(ctx.cRoot / "Out/Data/Sub/b.txt"), "beta");
    EXPECT_FALSE(std::filesystem::exists(ctx.cRoot / "Out/Data/Sub/mine.txt"));
    const auto lines = records();
    EXPECT_EQ(std::vector<std::string>(lines.begin() + static_cast<long>(second), lines.end()),
              (std::vector<std::string>{"Restore process about to Overwrite C:\\OUT\\DATA\\SUB",
                                        "C:\\OUT\\DATA\\SUB renamed to C:\\OUT\\DATA\\SUB_001",
                                        "Starting Restore from DAILY.INI",
                                        "Finished Restore from DAILY.INI"}));
    EXPECT_EQ(set().RestoreDestination(), "C:\\OUT\\");
    EXPECT_TRUE(ctx.prompts.scriptUsedUp());
}

TEST_F(RestoreRunWindowTest, ProtectedFoldersArePlannedFromTheArchiveAsItIsWhenTheRestoreStarts) {
    zipData(ctx.cRoot / "Backups/DAILY.zip");
    recordArchive("C:\\BACKUPS\\", "DAILY.zip");
    Frm_Mainmenu window(*ctx.context);
    RestorePage& page = *window.restorePage;
    chooseSet(page, "DAILY.INI");
    // The set is backed up again, with a new folder, after the page listed its archive.
    writeFile(ctx.cRoot / "Data/New/n.txt", "new");
    std::filesystem::remove(ctx.cRoot / "Backups/DAILY.zip");
    zipData(ctx.cRoot / "Backups/DAILY.zip");
    writeFile(ctx.cRoot / "Out/Data/New/mine.txt", "mine");
    clsCfg(*ctx.context).Protected_Add("C:\\OUT\\DATA\\NEW");
    page.Fld_RestoreTo->setText("C:\\OUT");
    EXPECT_EQ(restoreNow(page), "Restore Complete");
    EXPECT_EQ(readFile(ctx.cRoot / "Out/Data/NEW_001/mine.txt"), "mine");
    EXPECT_FALSE(std::filesystem::exists(ctx.cRoot / "Out/Data/NEW_001/n.txt"));
    EXPECT_EQ(readFile(ctx.cRoot / "Out/Data/New/n.txt"), "new");
}

TEST_F(RestoreRunWindowTest, AHostileArchiveWritesNothingOutsideAndNeverCompletes) {
    const auto source = ctx.dir / "hostile";
    writeFile(source / "ok.txt", "fine");
    writeFile(source / "xx/evil.txt", "evil");
    writeFile(source / "absolute_evil.txt", "absolute");
    writeFile(source / "link.txt", "../../outside");
    ::chmod((source / "link.txt").c_str(), 0604);
    writeFile(source / "bad.txt", "corrupt me");
    zip::BackupRequest request;
    request.sourceFolder = source;
    request.recurse = true;
    request.nameBase = source;
    request.archive = ctx.cRoot / "Backups/HOSTILE.zip";
    zip::NoEvents events;
    ASSERT_EQ(zip::createArchive(request, events).status, zip::Outcome::Status::Success);
    std::uint32_t linkMode = 0;
    for (const zip::MemberInfo& m : zip::listArchive(request.archive))
        if (m.name == "link.txt") linkMode = m.mode;
    ASSERT_EQ(linkMode & 07777, 0604u);

    std::string bytes = readFile(request.archive);
    replaceAll(bytes, "xx/evil.txt", "../evil.txt");
    replaceAll(bytes, "absolute_evil.txt", "/tvhostile_ev.txt");
    replaceAll(bytes, le32(linkMode << 16), le32(((linkMode & ~0170000u) | 0120777u) << 16));
    const std::string corrupt = "corrupt me";
    const auto crc = static_cast<std::uint32_t>(crc32(
        0, reinterpret_cast<const Bytef*>(corrupt.data()), static_cast<uInt>(corrupt.size())));
    replaceAll(bytes, le32(crc), le32(crc ^ 0x5a5a5a5a));
    for (const std::string& shape :
         {std::string("../evil.txt"), std::string("/tvhostile_ev.txt"),
          le32(((linkMode & ~0170000u) | 0120777u) << 16), le32(crc ^ 0x5a5a5a5a)})
        ASSERT_NE(bytes.find(shape), std::string::npos);
    writeFile(request.archive, bytes);
    std::filesystem::create_directories(ctx.cRoot / "Out");

    Frm_Mainmenu window(*ctx.context);
    RestorePage& page = *window.restorePage;
    ctx.prompts.answerOpenFile(std::string("C:\\BACKUPS\\HOSTILE.zip"));
    page.Cmd_RestoreFile->click();
    page.Fld_RestoreTo->setText("C:\\OUT");
    const QString status = restoreNow(page);
    EXPECT_NE(status, "Restore Complete");
    EXPECT_TRUE(status.startsWith("Restore Completed with Errors - ") || status == "Restore Failed")
        << status.toStdString();
    EXPECT_EQ(readFile(ctx.cRoot / "Out/ok.txt"), "fine");
    EXPECT_FALSE(std::filesystem::exists(ctx.cRoot / "evil.txt"));
    EXPECT_FALSE(std::filesystem::exists("/tvhostile_ev.txt"));
    EXPECT_FALSE(std::filesystem::is_symlink(ctx.cRoot / "Out/link.txt"));
    EXPECT_FALSE(std::filesystem::exists(ctx.cRoot / "Out/bad.txt"));
    EXPECT_EQ(snapshot(ctx.cRoot).size(), snapshot(ctx.cRoot / "Out").size() +
                                              snapshot(ctx.cRoot / "Prog").size() + 1 +
                                              snapshot(ctx.cRoot / "Data").size())
        << "a file landed outside the destination";
    const auto lines = records();
    EXPECT_TRUE(contains(lines, "Unable to Restore ../evil.txt"));
    EXPECT_TRUE(contains(lines, "Unable to Restore bad.txt"));
    EXPECT_EQ(lines.back(), status.toStdString());
    EXPECT_FALSE(contains(lines, "Restore Complete"));
}

TEST_F(RestoreRunWindowTest, AnArchiveThatCannotBeReadFailsWithItsReason) {
    writeFile(ctx.cRoot / "Backups/BROKEN.zip", "this is no archive at all");
    Frm_Mainmenu window(*ctx.context);
    RestorePage& page = *window.restorePage;
    ctx.prompts.answerOpenFile(std::string("C:\\BACKUPS\\BROKEN.zip"));
    ctx.prompts.answerMessage(MsgAnswer::Ok);  // the listing names the fault
    page.Cmd_RestoreFile->click();
    page.Fld_RestoreTo->setText("C:\\OUT");
    ctx.prompts.answerMessage(MsgAnswer::Ok);
    EXPECT_EQ(restoreNow(page), "Restore Failed");
    const MessageRequest& shown = ctx.prompts.lastMessage();
    EXPECT_EQ(shown.title, "Restore");
    EXPECT_EQ(shown.icon, MsgIcon::Exclamation);
    EXPECT_EQ(shown.text.rfind("Restore Failed - C:\\BACKUPS\\BROKEN.zip", 0), 0u) << shown.text;
    EXPECT_EQ(records(),
              (std::vector<std::string>{"Starting Restore from ZIP File - C:\\BACKUPS\\BROKEN.zip",
                                        "Finished Restore from ZIP File - C:\\BACKUPS\\BROKEN.zip",
                                        shown.text}));
    EXPECT_FALSE(std::filesystem::exists(ctx.cRoot / "Out"));
    EXPECT_TRUE(ctx.prompts.scriptUsedUp());
}

TEST_F(RestoreRunWindowTest, CancelIsRecordedAndLeavesTheSetAlone) {
    zipData(ctx.cRoot / "Backups/DAILY.zip");
    recordArchive("C:\\BACKUPS\\", "DAILY.zip");
    Frm_Mainmenu window(*ctx.context);
    RestorePage& page = *window.restorePage;
    chooseSet(page, "DAILY.INI");
    page.Fld_RestoreTo->setText("C:\\OUT");
    bool cancelDisabled = false;
    page.setRestoreAdjuster([&](zip::RestoreRequest&) {
        Frm_Restore& progress = *page.activeRestore();
        EXPECT_EQ(progress.windowTitle(), "Restoring Files...");
        EXPECT_EQ(progress.Lbl_BackingUp->text(), "Restoring Files.......");
        EXPECT_TRUE(progress.Cmd_Ok->isHidden());
        EXPECT_FALSE(progress.Cmd_Cancel->isHidden());
        progress.Cmd_Cancel->click();
        cancelDisabled = !progress.Cmd_Cancel->isEnabled();
    });
    EXPECT_EQ(restoreNow(page), "Restore Cancelled by User");
    EXPECT_TRUE(cancelDisabled);
    EXPECT_EQ(records(),
              (std::vector<std::string>{"Starting Restore from DAILY.INI",
                                        "Finished Restore from DAILY.INI", "Cancelled by User"}));
    EXPECT_EQ(set().RestoreDestination(), "");
}

TEST_F(RestoreRunWindowTest, TerminationDuringARestoreStopsItAndCloses) {
    zipData(ctx.cRoot / "Backups/DAILY.zip");
    recordArchive("C:\\BACKUPS\\", "DAILY.zip");
    Frm_Mainmenu window(*ctx.context);
    window.show();
    RestorePage& page = *window.restorePage;
    chooseSet(page, "DAILY.INI");
    page.Fld_RestoreTo->setText("C:\\OUT");
    page.setRestoreAdjuster([&](zip::RestoreRequest&) {
        window.close();  // refused while the restore runs
        EXPECT_TRUE(window.isVisible());
        window.terminate();
    });
    page.Cmd_Restore->click();
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(records(), (std::vector<std::string>{
                             "Starting Restore from DAILY.INI", "Finished Restore from DAILY.INI",
                             "Cancelled by User",
                             "Application Closed - Unloaded by Windows Task Manager is ending.",
                             records().back()}));
    EXPECT_EQ(set().RestoreDestination(), "");
}

TEST_F(RestoreRunWindowTest, ABrowsedArchiveWritesNoSetFile) {
    zipData(ctx.cRoot / "Backups/OTHER.zip");
    const std::string setBefore = readFile(ctx.programHost / "DAILY.INI");
    Frm_Mainmenu window(*ctx.context);
    RestorePage& page = *window.restorePage;
    ctx.prompts.answerOpenFile(std::string("C:\\BACKUPS\\OTHER.zip"));
    page.Cmd_RestoreFile->click();
    page.Fld_RestoreTo->setText("C:\\OUT");
    EXPECT_EQ(restoreNow(page), "Restore Complete");
    EXPECT_EQ(readFile(ctx.cRoot / "OUT/Data/Sub/b.txt"),
              "beta");  // a new folder is made as written
    EXPECT_EQ(readFile(ctx.programHost / "DAILY.INI"), setBefore);
    std::vector<std::string> programFiles;
    for (const auto& entry : std::filesystem::directory_iterator(ctx.programHost))
        programFiles.push_back(entry.path().filename().string());
    std::sort(programFiles.begin(), programFiles.end());
    EXPECT_EQ(programFiles, (std::vector<std::string>{"DAILY.INI", "Torvane.Log"}));
    EXPECT_EQ(records(), (std::vector<std::string>{
                             "Starting Restore from ZIP File - C:\\BACKUPS\\OTHER.zip",
                             "Finished Restore from ZIP File - C:\\BACKUPS\\OTHER.zip"}));
}

TEST_F(RestoreRunWindowTest, AMissingVolumeIsAskedForAndItsAbsenceFailsTheRun) {
    std::mt19937 random(7);
    std::string noise(700 * 1024, '\0');
    for (char& c : noise) c = static_cast<char>(random());
    writeFile(ctx.cRoot / "Data/noise.bin", noise);
    zip::BackupRequest request;
    request.sourceFolder = ctx.cRoot / "Data";
    request.recurse = true;
    request.nameBase = ctx.cRoot;
    request.archive = ctx.cRoot / "Backups/SPLIT.zip";
    request.multiVolume = true;
    request.volumeSize = 256 * 1024;
    request.nextDisk = [](int) { return true; };
    zip::NoEvents events;
    ASSERT_EQ(zip::createArchive(request, events).status, zip::Outcome::Status::Success);
    ASSERT_TRUE(std::filesystem::exists(ctx.cRoot / "Backups/SPLIT.z01"));

    Frm_Mainmenu window(*ctx.context);
    RestorePage& page = *window.restorePage;
    ctx.prompts.answerOpenFile(std::string("C:\\BACKUPS\\SPLIT.zip"));
    page.Cmd_RestoreFile->click();
    page.Fld_RestoreTo->setText("C:\\OUT");
    // The first disk is taken out once the restore has listed the set.
    page.setRestoreAdjuster([&](zip::RestoreRequest&) {
        std::filesystem::rename(ctx.cRoot / "Backups/SPLIT.z01", ctx.dir / "SPLIT.z01");
    });
    ctx.prompts.answerMessage(MsgAnswer::Cancel);
    ctx.prompts.answerMessage(MsgAnswer::Ok);
    EXPECT_EQ(restoreNow(page), "Restore Failed");
    const auto& asked = ctx.prompts.recorded()[ctx.prompts.recorded().size() - 2].message;
    EXPECT_EQ(asked.text, "Please insert disk 1 of the Backup into the Drive and press OK.");
    EXPECT_EQ(asked.title, "Restore");
    EXPECT_EQ(asked.buttons, MsgButtons::OkCancel);
    EXPECT_EQ(ctx.prompts.lastMessage().title, "Restore");
    EXPECT_NE(ctx.prompts.lastMessage().text.find("SPLIT.z01 is missing"), std::string::npos);
    EXPECT_TRUE(ctx.prompts.scriptUsedUp());
}

}  // namespace
}  // namespace torvane
