#include <gtest/gtest.h>

#include "LogRecords.h"
#include "TestContext.h"
#include "backupsets/clsFiles.h"
#include "common/TorvaneError.h"
#include "mainwindow/ConfigSave.h"
#include "platform/AtomicFile.h"

namespace torvane {
namespace {

using test::readFile;
using test::TestContext;
using test::writeFile;

// A set file as the save leaves it: values in upper case, folders ending in "\", CR LF lines.
const std::string kCanonical =
    "; weekly set\r\n[BACKUP "
    "SOURCE]\r\nBackupFiles=C:\\DATA\\*.*\r\nBackupSubDirectories=ON\r\n\r\n[DESTINATION]\r\n"
    "BackupFileName=WEEKLY\r\nMultiVolumeBackup=OFF\r\nBackupToDrive=C:\\BACKUPS\\\r\nTimeBackup="
    "OFF\r\n\r\n"
    "[RESTORE SOURCE]\r\nRestoreFromDrive=\r\nRestoreFileName=\r\n\r\n[RESTORE "
    "DESTINATION]\r\nRestoreDestination=";

struct Box : TextBox {
    std::string text;
    void setText(const std::string& t) override { text = t; }
};

class ConfigSaveTest : public ::testing::Test {
  protected:
    ConfigSaveTest() { writeFile(setFile(), previous); }
    std::filesystem::path setFile() const { return ctx.programHost / "WEEKLY.INI"; }
    std::filesystem::path workFile() const { return ctx.programHost / "Temp.INI"; }
    std::vector<std::string> records() const {
        return test::logRecords(ctx.programHost / "Torvane.Log");
    }
    std::vector<std::string> folderNames() const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(ctx.programHost))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    const std::string previous = "[BACKUP SOURCE]\r\nBackupFiles=C:\\OLD\\*.*\r\n";
    TestContext ctx;
};

TEST_F(ConfigSaveTest, AGoodTextReplacesTheSetFileAndIsRecordedOnce) {
    ctx.prompts.answerMessage(MsgAnswer::Yes);
    EXPECT_TRUE(saveConfigText(*ctx.context, "WEEKLY.INI", kCanonical, true));

    ASSERT_EQ(ctx.prompts.recorded().size(), 1u);
    const MessageRequest& question = ctx.prompts.recorded()[0].message;
    EXPECT_EQ(question.text, "Are you sure that you wish to save the changes?");
    EXPECT_EQ(question.title, "Save Changes");
    EXPECT_EQ(question.buttons, MsgButtons::YesNo);
    EXPECT_EQ(question.defaultButton, MsgAnswer::No);
    EXPECT_EQ(readFile(setFile()), kCanonical + "\r\n");
    EXPECT_FALSE(std::filesystem::exists(workFile()));
    EXPECT_EQ(records(), (std::vector<std::string>{"INI WEEKLY.INI Edited"}));
}

TEST_F(ConfigSaveTest, SavedValuesAreUpperCasedWithFolderBackslashes) {
    std::string text = kCanonical;
    text.replace(text.find("C:\\DATA\\*.*"), 11, "c:\\data\\*.doc");
    text.replace(text.find("C:\\BACKUPS\\"), 11, "e:\\weekly");
    text.replace(text.find("RestoreFromDrive="), 17, "RestoreFromDrive=e:\\old");
    EXPECT_TRUE(saveConfigText(*ctx.context, "weekly.ini", text, false));
    EXPECT_TRUE(ctx.prompts.recorded().empty());
    const std::string saved = readFile(setFile());
    EXPECT_NE(saved.find("BackupFiles=C:\\DATA\\*.DOC\r\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("BackupToDrive=E:\\WEEKLY\\\r\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("RestoreFromDrive=E:\\OLD\\\r\n"), std::string::npos) << saved;
    EXPECT_EQ(saved.substr(0, 14), "; weekly set\r\n");
    EXPECT_EQ(records(), (std::vector<std::string>{"INI weekly.ini Edited"}));
}

TEST_F(ConfigSaveTest, SetOptionsAreSavedAsTheUserWroteThem) {
    EXPECT_TRUE(saveConfigText(*ctx.context, "WEEKLY.INI",
                               kCanonical + "\r\n[Options]\r\nVerify = off", false));
    EXPECT_EQ(readFile(setFile()), kCanonical + "\r\n[Options]\r\nVerify = off\r\n");
    EXPECT_TRUE(saveConfigText(*ctx.context, "WEEKLY.INI", kCanonical, false));
    EXPECT_EQ(readFile(setFile()), kCanonical + "\r\n");
}

TEST_F(ConfigSaveTest, KeepAndExcludeAreSavedAsTheUserWroteThem) {
    const std::string options = "\r\n\r\n[Options]\r\nExclude=*.tmp; cache\\;Node_Modules\\\r\nKeep=3";
    EXPECT_TRUE(saveConfigText(*ctx.context, "WEEKLY.INI", kCanonical + options, false));
    const std::string saved = readFile(setFile());
    EXPECT_EQ(saved.substr(saved.size() - options.size() - 2), options + "\r\n");

    ctx.prompts.answerMessage(MsgAnswer::Ok);
    EXPECT_FALSE(saveConfigText(*ctx.context, "WEEKLY.INI", kCanonical + "\r\n[OPTIONS]\r\nKeep=3 weeks", false));
    EXPECT_EQ(ctx.prompts.lastMessage().text, "Unable to Save this file:\r\nReason: Keep is not a whole number.");
    EXPECT_EQ(readFile(setFile()), saved);
}

TEST_F(ConfigSaveTest, DeclinedOrNamelessSavesChangeNothing) {
    ctx.prompts.answerMessage(MsgAnswer::No);
    EXPECT_FALSE(saveConfigText(*ctx.context, "WEEKLY.INI", kCanonical, true));
    EXPECT_FALSE(saveConfigText(*ctx.context, "", kCanonical, true));
    EXPECT_EQ(ctx.prompts.recorded().size(), 1u);
    EXPECT_EQ(readFile(setFile()), previous);
    EXPECT_FALSE(std::filesystem::exists(workFile()));
    EXPECT_TRUE(records().empty());
}

TEST_F(ConfigSaveTest, TextFailingTheChecksLeavesTheWorkFileAndTheSetFile) {
    std::string text = kCanonical;
    text.replace(text.find("TimeBackup=OFF"), 14, "TimeBackup=on");
    ctx.prompts.answerMessage(MsgAnswer::Ok);
    EXPECT_FALSE(saveConfigText(*ctx.context, "WEEKLY.INI", text, false));
    EXPECT_EQ(ctx.prompts.lastMessage().text,
              "Unable to Save this file:\r\nReason: TimeBackup does not indicate 'ON' or 'OFF'.");
    EXPECT_EQ(readFile(setFile()), previous);
    EXPECT_EQ(readFile(workFile()), text + "\r\n");
    EXPECT_TRUE(records().empty());

    // The work file left behind is listed as a set; saving it keeps it.
    ctx.prompts.answerMessage(MsgAnswer::Ok);
    EXPECT_FALSE(saveConfigText(*ctx.context, "temp.ini", text, false));
    EXPECT_TRUE(saveConfigText(*ctx.context, "temp.ini", kCanonical, false));
    EXPECT_EQ(readFile(workFile()), kCanonical + "\r\n");

    // A later good save of the set clears the work file.
    EXPECT_TRUE(saveConfigText(*ctx.context, "WEEKLY.INI", kCanonical, false));
    EXPECT_FALSE(std::filesystem::exists(workFile()));
}

TEST_F(ConfigSaveTest, AFailureBeforeTheRenameLeavesThePreviousSetFileWhole) {
    const platform::AtomicWriteFaultHook fault([&](const std::filesystem::path& target) {
        if (target.filename() == "WEEKLY.INI") throw std::runtime_error("No space left on device");
    });
    try {
        saveConfigText(*ctx.context, "WEEKLY.INI", kCanonical, false);
        FAIL() << "the failed write was reported as a save";
    } catch (const TorvaneError& e) {
        EXPECT_EQ(e.description(), "No space left on device");
    }
    EXPECT_EQ(readFile(setFile()), previous);
    // Only the work file with the user's text is left beside the set; no half-written temporary.
    EXPECT_EQ(folderNames(), (std::vector<std::string>{"Temp.INI", "WEEKLY.INI"}));
    EXPECT_EQ(readFile(workFile()), kCanonical + "\r\n");
    EXPECT_TRUE(records().empty());
}

TEST_F(ConfigSaveTest, BytesOutsideAsciiSurviveALoadAndASave) {
    // Latin-1 and UTF-8 bytes in a comment and in a value that is already upper case.
    std::string text = kCanonical;
    text.replace(text.find("; weekly set"), 12, "; J\xF6rg's set \xC3\xA9t\xC3\xA9 \xFF");
    text.replace(text.find("BackupFileName=WEEKLY"), 21, "BackupFileName=S\xC4TZE");
    writeFile(setFile(), text + "\r\n");
    Box box;
    clsFiles(*ctx.context).Show_INI("", "WEEKLY.INI", box, nullptr);
    EXPECT_EQ(box.text, text);
    EXPECT_TRUE(saveConfigText(*ctx.context, "WEEKLY.INI", box.text, false));
    EXPECT_EQ(readFile(setFile()), text + "\r\n");
}

TEST_F(ConfigSaveTest, DeletingAsksWithNoAsDefaultAndToleratesAVanishedFile) {
    ctx.prompts.answerMessage(MsgAnswer::No);
    EXPECT_FALSE(deleteSetFile(*ctx.context, "WEEKLY.INI"));
    const MessageRequest& question = ctx.prompts.lastMessage();
    EXPECT_EQ(question.text, "Are you sure that you wish to delete WEEKLY.INI");
    EXPECT_EQ(question.title, "Delete File");
    EXPECT_EQ(question.buttons, MsgButtons::YesNo);
    EXPECT_EQ(question.defaultButton, MsgAnswer::No);
    EXPECT_TRUE(std::filesystem::exists(setFile()));

    ctx.prompts.answerMessage(MsgAnswer::Yes);
    EXPECT_TRUE(deleteSetFile(*ctx.context, "weekly.ini"));
    EXPECT_FALSE(std::filesystem::exists(setFile()));

    ctx.prompts.answerMessage(MsgAnswer::Yes);
    EXPECT_TRUE(deleteSetFile(*ctx.context, "WEEKLY.INI"));
    EXPECT_FALSE(deleteSetFile(*ctx.context, ""));
    EXPECT_TRUE(ctx.prompts.scriptUsedUp());
    EXPECT_EQ(ctx.prompts.recorded().size(), 3u);
}

}  // namespace
}  // namespace torvane
