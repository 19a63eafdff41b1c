#include "backup/SetEditor.h"

#include <gtest/gtest.h>

#include "TestContext.h"
#include "backupsets/clsFiles.h"
#include "backupsets/clsINI.h"

namespace torvane {
namespace {

using test::readFile;
using test::TestContext;
using test::writeFile;

class SetEditorTest : public ::testing::Test {
protected:
    SetEditorTest() : ctx("E=" + (stick / "e").string() + ", removable\r\n") {
        std::filesystem::create_directories(stick / "e/Backups");
        std::filesystem::create_directories(ctx.cRoot / "Data");
    }
    void writeSet(const std::string& files, const std::string& where) {
        writeFile(ctx.programHost / "DAILY.INI",
                  "[BACKUP SOURCE]\r\nBackupFiles=" + files + "\r\nBackupSubDirectories=OFF\r\n[DESTINATION]\r\n"
                  "BackupFileName=DAILY\r\nMultiVolumeBackup=ON\r\nBackupToDrive=" + where + "\r\nTimeBackup=ON\r\n");
    }
    clsINI set() {
        clsINI ini(*ctx.context);
        ini.Read_INI("C:\\PROG\\DAILY.INI");
        return ini;
    }

    test::TempDir stick;
    TestContext ctx;
};

TEST_F(SetEditorTest, ShowsASetWithItsOptionsLine) {
    writeSet("C:\\DATA\\*.DOC", "E:\\BACKUPS");
    const SetView v = showSet(*ctx.context, "DAILY.INI", false);
    EXPECT_TRUE(v.messages.empty());
    EXPECT_EQ(v.driveRoot, "C:\\");
    EXPECT_EQ(v.folder, "C:\\DATA\\");
    EXPECT_EQ(v.filesToBackup, "*.DOC");
    EXPECT_EQ(v.backupFileName, "DAILY");
    EXPECT_EQ(v.backupWhere, "E:\\BACKUPS\\");
    EXPECT_EQ(v.options, "SubDir=OFF, MultiVolume=ON, Time=ON");
}

TEST_F(SetEditorTest, MissingSourceDriveAndDestinationAreReported) {
    writeSet("Q:\\DATA\\*.*", "E:\\GONE\\");
    const SetView v = showSet(*ctx.context, "DAILY.INI", false);
    ASSERT_EQ(v.messages.size(), 2u);
    EXPECT_EQ(v.messages[0].text,
              "You have selected a file whereupon files from Q:\\DATA\\*.* are to backed up.  Torvane cannot locate "
              "Q:\\DATA\\*.*\r\n\r\n");
    EXPECT_EQ(v.messages[1].text,
              "You have selected to backup files to E:\\GONE\\ are to backed up.  Torvane cannot locate E:\\GONE\\\r\n\r\n"
              "If the Drive Selected is a Removable Drive then place a Disk into the Drive Now.");
    EXPECT_EQ(v.messages[1].icon, MsgIcon::Exclamation);
    EXPECT_EQ(v.driveRoot, "C:\\");
    EXPECT_EQ(v.folder, "C:\\Prog");

    const SetView quiet = showSet(*ctx.context, "DAILY.INI", true);
    EXPECT_TRUE(quiet.stopped);
    EXPECT_TRUE(quiet.messages.empty());
    EXPECT_EQ(quiet.backupWhere, "E:\\GONE\\");
    EXPECT_TRUE(quiet.options.empty());
}

TEST_F(SetEditorTest, NewSetNamesAndSetListing) {
    EXPECT_EQ(newSetFileName("x"), "x.INI");
    EXPECT_EQ(newSetFileName("Weekly.ini"), "Weekly.ini");
    EXPECT_EQ(newSetFileName("ini"), "ini.INI");
    writeFile(ctx.programHost / "a.ini", "");
    writeFile(ctx.programHost / "B.INI", "");
    writeFile(ctx.programHost / "notes.txt", "");
    std::filesystem::create_directories(ctx.programHost / "dir.ini");
    auto names = listSetFiles(*ctx.context);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"B.INI", "a.ini"}));
}

TEST_F(SetEditorTest, UserFolderChangeRewritesBackupFiles) {
    writeSet("C:\\DATA\\*.DOC", "E:\\");
    EXPECT_EQ(recordSourceFolder(*ctx.context, "DAILY.INI", "C:\\Data", ""), "*.*");
    EXPECT_EQ(set().BackupFiles(), "C:\\Data\\*.*");
    recordSourceFolder(*ctx.context, "DAILY.INI", "C:\\", "*.TXT");
    EXPECT_EQ(set().BackupFiles(), "C:\\*.TXT");
}

TEST_F(SetEditorTest, OptionsAreCheckedThenWrittenInUpperCase) {
    writeSet("c:\\data\\*.doc", "E:\\");
    clsINI ini(*ctx.context);
    ini.Read_INI("C:\\PROG\\DAILY.INI");
    const std::string before = readFile(ctx.programHost / "DAILY.INI");

    OptionsForm noName{"", "", true, false, true};
    auto r = saveOptions(*ctx.context, ini, "C:\\PROG\\DAILY.INI", noName, "E:\\");
    ASSERT_TRUE(std::holds_alternative<MessageRequest>(r));
    EXPECT_EQ(std::get<MessageRequest>(r).text, "Unable to Save as no Backup Name has been entered.");

    OptionsForm multiOnFixed{"", "weekly", true, true, true};
    r = saveOptions(*ctx.context, ini, "C:\\PROG\\DAILY.INI", multiOnFixed, "C:\\BACKUPS");
    ASSERT_TRUE(std::holds_alternative<MessageRequest>(r));
    const std::string text = std::get<MessageRequest>(r).text;
    EXPECT_EQ(text.substr(0, text.rfind("\r\n")),
              "Unable to Save as you have selected the Multi Volume flag on a Non-Removable Drive.\r\n\r\n"
              "The Non-Removable Drives on this machine are;");
    EXPECT_NE(text.find("C: "), std::string::npos);
    EXPECT_EQ(readFile(ctx.programHost / "DAILY.INI"), before);

    OptionsForm good{"", "weekly", true, false, false};
    r = saveOptions(*ctx.context, ini, "C:\\PROG\\DAILY.INI", good, "C:\\BACKUPS");
    ASSERT_TRUE(std::holds_alternative<OptionsSaved>(r));
    const auto saved = std::get<OptionsSaved>(r);
    EXPECT_EQ(saved.options, "SubDir=OFF, MultiVolume=OFF, Time=ON");
    EXPECT_EQ(saved.filesToBackup, "*.*");
    EXPECT_EQ(saved.backupFileName, "WEEKLY");
    EXPECT_EQ(set().BackupFiles(), "C:\\DATA\\*.*");
    EXPECT_EQ(set().BackupFileName(), "WEEKLY");
    EXPECT_EQ(set().MultiVolumeBackup(), "OFF");
    EXPECT_EQ(set().BackupSubDirectories(), "OFF");

    OptionsForm multiOnStick{"*.txt", "weekly", false, true, true};
    r = saveOptions(*ctx.context, ini, "C:\\PROG\\DAILY.INI", multiOnStick, "E:\\BACKUPS");
    ASSERT_TRUE(std::holds_alternative<OptionsSaved>(r));
    EXPECT_EQ(set().BackupFiles(), "C:\\DATA\\*.TXT");
    EXPECT_EQ(set().TimeBackup(), "OFF");
}

TEST_F(SetEditorTest, OptionsSaveWritesTheSetOptions) {
    writeSet("c:\\data\\*.doc", "E:\\");
    clsINI ini(*ctx.context);
    ini.Read_INI("C:\\PROG\\DAILY.INI");
    EXPECT_TRUE(ini.Verifies());
    OptionsForm noVerify{"", "daily", true, false, false, false};
    ASSERT_TRUE(std::holds_alternative<OptionsSaved>(
        saveOptions(*ctx.context, ini, "C:\\PROG\\DAILY.INI", noVerify, "C:\\BACKUPS")));
    EXPECT_NE(readFile(ctx.programHost / "DAILY.INI").find("[OPTIONS]\r\nVerify=OFF\r\n"),
              std::string::npos);
    EXPECT_FALSE(set().Verifies());
    OptionsForm verify{"", "daily", true, false, false, true};
    ASSERT_TRUE(std::holds_alternative<OptionsSaved>(
        saveOptions(*ctx.context, ini, "C:\\PROG\\DAILY.INI", verify, "C:\\BACKUPS")));
    EXPECT_EQ(set().Verify(), "ON");
}

TEST_F(SetEditorTest, KeepAndExcludeAreWrittenOnlyWhenTheUserChangesThem) {
    writeSet("C:\\DATA\\*.*", "E:\\");
    const auto open = [&] {
        clsINI ini(*ctx.context);
        ini.Read_INI("C:\\PROG\\DAILY.INI");
        return ini;
    };
    const auto save = [&](clsINI& ini, OptionsForm form) {
        return saveOptions(*ctx.context, ini, "C:\\PROG\\DAILY.INI", form, "E:\\");
    };
    clsINI untouched = open();
    ASSERT_TRUE(std::holds_alternative<OptionsSaved>(save(untouched, {"*.*", "DAILY", true, false, false, true, "", ""})));
    EXPECT_EQ(readFile(ctx.programHost / "DAILY.INI").find("OPTIONS"), std::string::npos)
        << "a set without the keys gains none";

    clsINI edited = open();
    auto r = save(edited, {"*.*", "DAILY", true, false, false, true, "3", "*.tmp;Cache\\"});
    ASSERT_TRUE(std::holds_alternative<OptionsSaved>(r));
    EXPECT_EQ(std::get<OptionsSaved>(r).exclusions, "*.tmp;Cache\\");
    EXPECT_EQ(set().Keep(), "3");
    EXPECT_EQ(set().Exclude(), "*.tmp;Cache\\");
    EXPECT_EQ(showSet(*ctx.context, "DAILY.INI", false).exclusions, "*.tmp;Cache\\");

    // A value typed by hand that the dialog would refuse stays as long as nobody changes it.
    clsFiles(*ctx.context).WriteINI("OPTIONS", "Keep", "weekly", "C:\\PROG\\DAILY.INI");
    const std::string before = readFile(ctx.programHost / "DAILY.INI");
    clsINI handEdited = open();
    ASSERT_TRUE(std::holds_alternative<OptionsSaved>(
        save(handEdited, {"*.*", "DAILY", true, false, false, true, "weekly", "*.tmp;Cache\\"})));
    EXPECT_EQ(readFile(ctx.programHost / "DAILY.INI"), before);
    clsINI refused = open();
    r = save(refused, {"*.*", "NEW", false, false, false, true, "2 a week", ""});
    ASSERT_TRUE(std::holds_alternative<MessageRequest>(r));
    EXPECT_EQ(std::get<MessageRequest>(r).text, "Unable to Save as Keep is not a whole number.");
    EXPECT_EQ(readFile(ctx.programHost / "DAILY.INI"), before);
}

TEST_F(SetEditorTest, DestinationAndNewFolders) {
    writeSet("C:\\DATA\\*.*", "E:\\");
    saveDestination(*ctx.context, "C:\\PROG\\DAILY.INI", "E:\\Backups");
    EXPECT_EQ(set().BackupToDrive(), "E:\\BACKUPS\\");
    EXPECT_NE(readFile(ctx.programHost / "DAILY.INI").find("[DESTINATION]\r\n"), std::string::npos);

    auto made = createFolder(*ctx.context, "E:\\BACKUPS", "Daily");
    ASSERT_TRUE(std::holds_alternative<std::string>(made));
    EXPECT_EQ(std::get<std::string>(made), "E:\\Backups\\Daily");
    EXPECT_TRUE(std::filesystem::is_directory(stick / "e/Backups/Daily"));
    made = createFolder(*ctx.context, "E:\\", "Daily");
    EXPECT_EQ(std::get<std::string>(made), "E:\\Daily");
    made = createFolder(*ctx.context, "E:\\", "Daily");
    ASSERT_TRUE(std::holds_alternative<MessageRequest>(made));
    EXPECT_EQ(std::get<MessageRequest>(made).title, "Create New Folder");
    EXPECT_TRUE(std::holds_alternative<MessageRequest>(createFolder(*ctx.context, "E:\\", "..\\up")));
}

}  // namespace
}  // namespace torvane
