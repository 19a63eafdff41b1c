#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTabWidget>
#include <QTreeView>

#include "MainWindowFixture.h"
#include "common/DriveListBox.h"
#include "mainwindow/SecureDataPage.h"
#include "mainwindow/SecureFolderModel.h"
#include "restore/clsCfg.h"
#include "restore/clsInfo.h"

namespace torvane {
namespace {

using test::readFile;
using test::writeFile;

class SecureDataPageTest : public test::MainWindowFixture {
  protected:
    static QStringList texts(const QAbstractItemModel& model, const QModelIndex& parent = {}) {
        QStringList out;
        for (int row = 0; row < model.rowCount(parent); ++row)
            out << model.index(row, 0, parent).data().toString();
        return out;
    }
    static QModelIndex child(const QAbstractItemModel& model, const QString& text,
                             const QModelIndex& parent = {}) {
        for (int row = 0; row < model.rowCount(parent); ++row)
            if (model.index(row, 0, parent).data().toString() == text)
                return model.index(row, 0, parent);
        return {};
    }
    static int picture(const QModelIndex& node) {
        return node.data(SecureFolderModel::kPictureRole).toInt();
    }
    std::vector<std::string> listed() { return clsCfg(*ctx.context).ReturnProtected(); }
    // Right-clicks the node and reads what the pop-up menu offers.
    static std::pair<bool, bool> menuFor(SecureDataPage& page, const QModelIndex& node) {
        page.TV_SecureMode->setCurrentIndex(node);
        page.TV_SecureMode_RightClick(page.TV_SecureMode->visualRect(node).center());
        const std::pair<bool, bool> offered{page.Menu_Secure_Add->isEnabled(),
                                            page.Menu_Secure_Delete->isEnabled()};
        page.Menu_Secure->hide();
        return offered;
    }
};

TEST_F(SecureDataPageTest, TheTreeIsReadOneLevelAtATimeWithoutFollowingLinks) {
    std::filesystem::create_directories(ctx.cRoot / "Data/Sub/Deeper");
    std::filesystem::create_directory_symlink(ctx.cRoot / "Backups",
                                              ctx.cRoot / "Data/LinkToBackups");
    std::filesystem::create_directories(ctx.cRoot / "empty");
    writeFile(ctx.cRoot / "Data/\x1b[31mred", "");  // a file, never a node
    std::filesystem::create_directories(ctx.cRoot / "Data/tab\tfolder");
    clsCfg(*ctx.context).Protected_Add("c:\\data");
    Frm_Mainmenu window(*ctx.context);
    SecureDataPage& page = *window.securePage;
    EXPECT_EQ(
        page.Fld_SecureData->toPlainText().toStdString(),
        QString::fromStdString(clsInfo::SecureDataText()).replace("\r\n", "\n").toStdString());
    EXPECT_EQ(page.SSP_PleaseWait->text(), "Please Wait...\nLoading Folder Structure");
    EXPECT_EQ(window.Menu_Secure, page.Menu_Secure);
    std::filesystem::remove(ctx.programHost / "Torvane.Cfg");
    clsCfg(*ctx.context).Protected_Add("c:\\data");

    window.TAB_Backup->setCurrentWidget(&page);
    const QAbstractItemModel& model = *page.TV_SecureMode->model();
    EXPECT_EQ(texts(model), (QStringList{"Backups", "Data", "empty", "Prog"}));
    EXPECT_FALSE(page.SSP_PleaseWait->isVisible());
    EXPECT_EQ(page.SSP_ProgressSecure->value(), 0);
    const QModelIndex data = child(model, "Data");
    EXPECT_EQ(data.data(SecureFolderModel::kTagRole).toString(), "C:\\Data");
    EXPECT_EQ(picture(data), SecureFolderModel::kProtectedPicture);
    EXPECT_EQ(picture(child(model, "Backups")), SecureFolderModel::kFolderPicture);
    // Nothing below the top level has been read yet, and each node offers an expander.
    EXPECT_EQ(model.rowCount(data), 0);
    EXPECT_TRUE(model.hasChildren(data));
    const QModelIndex empty = child(model, "empty");
    EXPECT_TRUE(model.hasChildren(empty));

    page.TV_SecureMode->expand(data);
    EXPECT_EQ(texts(model, data), (QStringList{"Sub", QString("tab") + QChar(0x2409) + "folder"}));
    const QModelIndex sub = child(model, "Sub", data);
    EXPECT_EQ(sub.data(SecureFolderModel::kTagRole).toString(), "C:\\Data\\Sub");
    EXPECT_EQ(model.parent(sub), data);
    page.TV_SecureMode->expand(empty);
    EXPECT_FALSE(model.hasChildren(empty));  // known empty: the expander goes

    // Showing the page again keeps the tree as it is.
    window.TAB_Backup->setCurrentWidget(window.backupPage);
    std::filesystem::create_directories(ctx.cRoot / "Later");
    window.TAB_Backup->setCurrentWidget(&page);
    EXPECT_EQ(texts(model).size(), 4);
    EXPECT_EQ(texts(model, data).size(), 2);

    // A drive that is not ready clears the tree; choosing C: again reads it afresh.
    page.Dri_SecureMode_Change("f: [nowhere]");
    EXPECT_EQ(model.rowCount(), 0);
    page.Dri_SecureMode_Change(page.Dri_SecureMode->drive());
    EXPECT_EQ(texts(model), (QStringList{"Backups", "Data", "empty", "Later", "Prog"}));
}

TEST_F(SecureDataPageTest, ThePopUpAddsAndRemovesByThePictureAndRefusesTheSystemFolder) {
    std::filesystem::create_directories(ctx.cRoot / "usr/share");
    ASSERT_EQ(ctx.host->systemFolder(), "C:\\usr");
    Frm_Mainmenu window(*ctx.context);
    SecureDataPage& page = *window.securePage;
    EXPECT_FALSE(std::filesystem::exists(ctx.programHost / "Torvane.Cfg"));
    window.TAB_Backup->setCurrentWidget(&page);
    EXPECT_TRUE(std::filesystem::exists(ctx.programHost /
                                        "Torvane.Cfg"));  // made when the page is first shown
    const QAbstractItemModel& model = *page.TV_SecureMode->model();

    const QModelIndex data = child(model, "Data");
    EXPECT_EQ(menuFor(page, data), std::make_pair(true, false));
    page.Menu_Secure_Add->trigger();
    EXPECT_EQ(picture(data), SecureFolderModel::kProtectedPicture);
    EXPECT_EQ(listed(), (std::vector<std::string>{"C:\\DATA"}));
    EXPECT_EQ(menuFor(page, data), std::make_pair(false, true));

    const QModelIndex backups = child(model, "Backups");
    menuFor(page, backups);
    page.Menu_Secure_Add->trigger();
    EXPECT_EQ(listed(), (std::vector<std::string>{"C:\\DATA", "C:\\BACKUPS"}));

    menuFor(page, data);
    page.Menu_Secure_Delete->trigger();
    EXPECT_EQ(picture(data), SecureFolderModel::kFolderPicture);
    EXPECT_EQ(listed(), (std::vector<std::string>{"C:\\BACKUPS"}));
    EXPECT_FALSE(std::filesystem::exists(ctx.programHost / "Torvane.Cft"));

    // The system folder itself is refused; what lies below it may be protected.
    const QModelIndex usr = child(model, "usr");
    ctx.prompts.answerMessage(MsgAnswer::Ok);
    menuFor(page, usr);
    page.Menu_Secure_Add->trigger();
    EXPECT_EQ(
        ctx.prompts.lastMessage().text,
        "This folder is maintained by your Operating System.  You may not Protect System Folders.");
    EXPECT_EQ(ctx.prompts.lastMessage().title, "Protected Folders");
    EXPECT_EQ(ctx.prompts.lastMessage().icon, MsgIcon::Exclamation);
    EXPECT_EQ(picture(usr), SecureFolderModel::kFolderPicture);
    page.TV_SecureMode->expand(usr);
    menuFor(page, child(model, "share", usr));
    page.Menu_Secure_Add->trigger();
    EXPECT_EQ(listed(), (std::vector<std::string>{"C:\\BACKUPS", "C:\\USR\\SHARE"}));

    // With no node selected the menu offers nothing.
    page.TV_SecureMode->setCurrentIndex({});
    page.TV_SecureMode_RightClick({1, 1});
    EXPECT_FALSE(page.Menu_Secure_Add->isEnabled());
    EXPECT_FALSE(page.Menu_Secure_Delete->isEnabled());
    page.Menu_Secure->hide();
    EXPECT_TRUE(ctx.prompts.scriptUsedUp());
}

}  // namespace
}  // namespace torvane
