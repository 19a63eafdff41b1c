#include "backup/Frm_Backup.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QListView>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <condition_variable>
#include <mutex>

#include "TestContext.h"
#include "platform/PrintableText.h"

namespace torvane {
namespace {

using test::TestContext;
using test::writeFile;

// Holds the engine's run at the item of a chosen file until the test lets it go on, so the
// test can look at the window while the run stands still.
class ItemGate {
public:
    explicit ItemGate(int stopAt) : stopAt_(stopAt) {}

    template <class Item>
    void wrap(std::function<std::string(const Item&)>& itemText) {
        itemText = [this, text = itemText](const Item& item) {
            const std::string t = text(item);
            std::unique_lock lock(mutex_);
            if (static_cast<int>(texts_.size()) + 1 == stopAt_) {
                reached_ = true;
                changed_.wait(lock, [this] { return released_; });
            }
            texts_.push_back(t);
            return t;
        };
    }
    bool reached() {
        const std::lock_guard lock(mutex_);
        return reached_;
    }
    std::vector<std::string> texts() {
        const std::lock_guard lock(mutex_);
        return texts_;
    }
    void release() {
        const std::lock_guard lock(mutex_);
        released_ = true;
        changed_.notify_all();
    }

private:
    int stopAt_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::string> texts_;
    bool reached_ = false;
    bool released_ = false;
};

TEST(Frm_BackupTest, ShowsTheLatestItemsWhileTheRunGoesOnAndCancelsAtTheNextStep) {
    TestContext ctx;
    constexpr int kFiles = 40;
    constexpr int kStopAt = 25;
    for (int i = 0; i < kFiles; ++i) writeFile(ctx.cRoot / "Data" / ("f" + std::to_string(i) + "\t.txt"), "x");
    std::filesystem::create_directories(ctx.cRoot / "Backups");
    writeFile(ctx.programHost / "DAILY.INI",
              "[BACKUP SOURCE]\r\nBackupFiles=C:\\DATA\\*.*\r\nBackupSubDirectories=ON\r\n[DESTINATION]\r\n"
              "BackupFileName=DAILY\r\nMultiVolumeBackup=OFF\r\nBackupToDrive=C:\\BACKUPS\\\r\nTimeBackup=OFF\r\n"
              "[RESTORE SOURCE]\r\nRestoreFromDrive=\r\nRestoreFileName=\r\n");

    Frm_Backup window(*ctx.context, "DAILY.INI", false);
    ItemGate gate(kStopAt);
    window.setRequestAdjuster([&](zip::BackupRequest& request) { gate.wrap(request.itemText); });
    QStringList shown;
    int current = -1;
    QString label;
    int filePercent = -1;
    int overallPercent = -1;
    QString status;
    int polls = 0;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        // Once the engine stands at the gate, wait for the window to show everything before it.
        if (gate.reached() && shown.isEmpty() && window.Lst_Details->model()->rowCount() == kStopAt - 1) {
            const QAbstractItemModel* model = window.Lst_Details->model();
            for (int row = 0; row < model->rowCount(); ++row) shown << model->index(row, 0).data().toString();
            current = window.Lst_Details->currentIndex().row();
            label = window.Lbl_BackupPath->text();
            filePercent = window.PB_File->value();
            overallPercent = window.PB_Folder->value();
            window.Cmd_Cancel->click();
            EXPECT_FALSE(window.Cmd_Cancel->isEnabled());
            gate.release();
        }
        if (window.outcome()) {
            status = window.Lbl_BackupPath->text();
            window.Cmd_Ok->click();
        } else if (++polls > 4000) {
            ADD_FAILURE() << "the window never showed the items before the gate";
            gate.release();
        }
    });
    poll.start(5);
    window.exec();

    const std::vector<std::string> texts = gate.texts();
    ASSERT_GE(texts.size(), static_cast<size_t>(kStopAt - 1));
    QStringList expected;
    for (int i = 0; i < kStopAt - 1; ++i) expected << QString::fromStdString(platform::printable(texts[i]));
    EXPECT_EQ(shown, expected);
    EXPECT_TRUE(expected.front().startsWith("C:\\Data\\f")) << expected.front().toStdString();
    EXPECT_TRUE(expected.front().contains(QChar(0x2409)));  // the tab, as its picture
    EXPECT_EQ(current, kStopAt - 2);
    EXPECT_EQ(label, expected.back());
    EXPECT_EQ(filePercent, 100);
    EXPECT_GT(overallPercent, 0);
    EXPECT_LT(overallPercent, 100);

    ASSERT_TRUE(window.outcome());
    EXPECT_EQ(window.outcome()->status, zip::Outcome::Status::Cancelled);
    EXPECT_EQ(status, "Backup Cancelled by User");
    EXPECT_EQ(window.Lst_Details->model()->rowCount(), 0);
    EXPECT_FALSE(std::filesystem::exists(ctx.cRoot / "Backups/DAILY.zip"));
}

TEST(Frm_BackupTest, TheReadBackIsASecondPhaseThatCancelStops) {
    TestContext ctx;
    for (int i = 0; i < 6; ++i) writeFile(ctx.cRoot / "Data" / ("f" + std::to_string(i) + ".txt"), "x");
    std::filesystem::create_directories(ctx.cRoot / "Backups");
    writeFile(ctx.programHost / "DAILY.INI",
              "[BACKUP SOURCE]\r\nBackupFiles=C:\\DATA\\*.*\r\nBackupSubDirectories=ON\r\n[DESTINATION]\r\n"
              "BackupFileName=DAILY\r\nMultiVolumeBackup=OFF\r\nBackupToDrive=C:\\BACKUPS\\\r\nTimeBackup=OFF\r\n");

    Frm_Backup window(*ctx.context, "DAILY.INI", false);
    ItemGate gate(4);
    window.setVerifyAdjuster([&](zip::VerifyRequest& request) { gate.wrap(request.itemText); });
    QString phase, item, status;
    int overallPercent = -1;
    int polls = 0;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (gate.reached() && phase.isEmpty() && window.Lbl_BackupPath->text() == "C:\\Data\\f2.txt") {
            phase = window.Lbl_BackingUp->text();
            item = window.Lbl_BackupPath->text();
            overallPercent = window.PB_Folder->value();
            window.Cmd_Cancel->click();
            gate.release();
        }
        if (window.outcome()) {
            status = window.Lbl_BackupPath->text();
            window.Cmd_Ok->click();
        } else if (++polls > 4000) {
            ADD_FAILURE() << "the read-back never reached the gate";
            gate.release();
        }
    });
    poll.start(5);
    window.exec();

    EXPECT_EQ(phase, "Verifying Files.......");
    EXPECT_GT(overallPercent, 0);
    EXPECT_LT(overallPercent, 100);
    EXPECT_EQ(gate.texts().size(), 4u);  // nothing read after the cancel
    EXPECT_EQ(status, "Backup Cancelled by User");
    EXPECT_EQ(window.result(), RunResult::Cancelled);
    EXPECT_TRUE(std::filesystem::exists(ctx.cRoot / "Backups/DAILY.zip"));
}

}  // namespace
}  // namespace torvane
