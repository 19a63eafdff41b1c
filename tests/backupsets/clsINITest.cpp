#include "backupsets/clsINI.h"

#include <gtest/gtest.h>

#include <cerrno>

#include "BuildVersion.h"
#include "TestContext.h"
#include "backupsets/clsFiles.h"
#include "backupsets/clsString.h"
#include "common/TorvaneError.h"
#include "platform/AtomicFile.h"

namespace torvane {
namespace {

using test::readFile;
using test::TestContext;
using test::writeFile;

TEST(clsINITest, CreateWritesTheDefaultSetByteForByte) {
    TestContext ctx;
    clsINI(*ctx.context).Create_INI("Weekly.ini");
    const std::string expected =
        ";---------------------------\r\n"
        ";  Maldreth Backup Utility  \r\n"
        ";        Version " + test::buildVersion() + "\r\n"
        ";  (C) 2026 Torvane Software\r\n"
        ";---------------------------\r\n"
        "[BACKUP SOURCE]\r\n"
        "BackupFiles=C:\\*.*\r\n"
        "BackupSubDirectories=OFF\r\n"
        "\r\n"
        "[DESTINATION]\r\n"
        "BackupFileName=WEEKLY\r\n"
        "MultiVolumeBackup=ON\r\n"
        "BackupToDrive=C:\\\r\n"
        "TimeBackup=ON\r\n"
        "\r\n"
        "[RESTORE SOURCE]\r\n"
        "RestoreFromDrive=\r\n"
        "RestoreFileName=\r\n"
        "\r\n"
        "[RESTORE DESTINATION]\r\n"
        "RestoreDestination=\r\n"
        "\r\n";
    EXPECT_EQ(readFile(ctx.programHost / "Weekly.ini"), expected);
    EXPECT_EQ(expected.substr(0, expected.find("\r\n")).size(), 28u);
    EXPECT_EQ(std::string(";  (C) 2026 Torvane Software").size(), 28u);
}

TEST(clsINITest, CreateWithAShortNameFailsAsTheWrappedError) {
    TestContext ctx;
    try {
        clsINI(*ctx.context).Create_INI("A.I");
        FAIL();
    } catch (const TorvaneError& e) {
        EXPECT_EQ(e.number(), kErrorNumber);
        EXPECT_EQ(e.source(), "clsINI:Create_INI Method");
    }
    EXPECT_TRUE(std::filesystem::is_empty(ctx.programHost));
}

TEST(clsINITest, ReadTakesSectionsWithoutRegardToCase) {
    TestContext ctx;
    clsINI ini(*ctx.context);
    ini.Create_INI("DAILY.INI");
    ini.Read_INI("C:\\PROG\\daily.ini");
    EXPECT_EQ(ini.BackupFiles(), "C:\\*.*");
    EXPECT_EQ(ini.BackupFileName(), "DAILY");
    EXPECT_EQ(ini.BackupToDrive(), "C:\\");
    EXPECT_EQ(ini.TimeBackup(), "ON");
    EXPECT_EQ(ini.RestoreFileName(), "");
    ini.Read_INI("C:\\PROG\\MISSING.INI");
    EXPECT_EQ(ini.BackupFiles(), "");
}

TEST(clsINITest, SetOptionsReadAsTheirDefaultsWhenTheKeyIsMissing) {
    TestContext ctx;
    clsINI ini(*ctx.context);
    ini.Create_INI("DAILY.INI");
    ini.Read_INI("C:\\PROG\\DAILY.INI");
    EXPECT_EQ(ini.Verify(), "ON");
    EXPECT_TRUE(ini.Verifies());
    const std::string created = readFile(ctx.programHost / "DAILY.INI");
    EXPECT_EQ(created.find("Verify"), std::string::npos);

    const auto readWith = [&](const std::string& line) {
        writeFile(ctx.programHost / "DAILY.INI", created + "[options]\r\n" + line + "\r\n");
        ini.Read_INI("C:\\PROG\\DAILY.INI");
        return ini.Verifies();
    };
    EXPECT_FALSE(readWith("Verify=OFF"));
    EXPECT_EQ(ini.Verify(), "OFF");
    EXPECT_FALSE(readWith("verify = off"));
    EXPECT_TRUE(readWith("Verify=ON"));
    EXPECT_TRUE(readWith("Verify="));
    EXPECT_EQ(ini.Verify(), "ON");
    // A value that is neither keeps the backup checked rather than silently skipping the check.
    EXPECT_TRUE(readWith("Verify=NO"));
    EXPECT_EQ(ini.Verify(), "NO");
}

TEST(clsINITest, WritingTheSetOptionsLeavesEveryOtherLine) {
    TestContext ctx;
    clsINI ini(*ctx.context);
    ini.Create_INI("DAILY.INI");
    const std::string created = readFile(ctx.programHost / "DAILY.INI");
    ini.Read_INI("C:\\PROG\\DAILY.INI");
    ini.Verify("OFF");
    ini.WriteOptions("C:\\PROG\\DAILY.INI");
    EXPECT_EQ(readFile(ctx.programHost / "DAILY.INI"), created + "[OPTIONS]\r\nVerify=OFF\r\n");
    clsINI again(*ctx.context);
    again.Read_INI("C:\\PROG\\DAILY.INI");
    EXPECT_FALSE(again.Verifies());
    EXPECT_EQ(again.BackupFileName(), "DAILY");
}

// Tests run with rights that read everything: the read seam stands in for a file its user may
// not read.
TEST(clsINITest, ASetThatCannotBeReadFailsWithTheHostsReasonInOneRead) {
    TestContext ctx;
    clsINI ini(*ctx.context);
    ini.Create_INI("DAILY.INI");
    const std::string created = readFile(ctx.programHost / "DAILY.INI");
    int reads = 0;
    {
        platform::FileReadFaultHook counted([&](const std::filesystem::path&) { return ++reads, false; }, 0);
        ini.Read_INI("C:\\PROG\\DAILY.INI");
    }
    EXPECT_EQ(reads, 1) << "one read for all the values";

    platform::FileReadFaultHook unreadable(
        [](const std::filesystem::path& file) { return std::filesystem::exists(file); }, EACCES);
    try {
        ini.Read_INI("C:\\PROG\\daily.ini");
        FAIL() << "an unreadable set read as a set";
    } catch (const TorvaneError& e) {
        EXPECT_EQ(e.description(), "File daily.ini cannot be read: Permission denied.");
    }
    EXPECT_EQ(ini.BackupFileName(), "DAILY") << "what was read before stays";
    EXPECT_THROW(ini.ConfirmBackslash("C:\\PROG\\DAILY.INI"), TorvaneError);

    struct Box : TextBox {
        std::string text = "before";
        void setText(const std::string& t) override { text = t; }
    } box;
    try {
        clsFiles(*ctx.context).Show_INI("", "DAILY.INI", box, {});
        FAIL() << "an unreadable set shown as text";
    } catch (const TorvaneError& e) {
        EXPECT_EQ(e.description(), "File DAILY.INI cannot be read: Permission denied.");
    }
    EXPECT_EQ(box.text, "before");
    ini.Read_INI("C:\\PROG\\MISSING.INI");
    EXPECT_EQ(ini.BackupFileName(), "") << "a missing set is still an empty one";
    EXPECT_EQ(readFile(ctx.programHost / "DAILY.INI"), created);
}

struct ValidationCase {
    const char* name;
    std::array<const char*, 6> values;  // files, subdirs, name, multi, drive, time
    bool ok;
    const char* reason;
};

void PrintTo(const ValidationCase& c, std::ostream* os) { *os << c.name; }

class ValidateTest : public ::testing::TestWithParam<ValidationCase> {};

TEST_P(ValidateTest, ShowsTheLastFailingReason) {
    const auto& c = GetParam();
    TestContext ctx;
    clsINI ini(*ctx.context);
    ini.BackupFiles(c.values[0]);
    ini.BackupSubDirectories(c.values[1]);
    ini.BackupFileName(c.values[2]);
    ini.MultiVolumeBackup(c.values[3]);
    ini.BackupToDrive(c.values[4]);
    ini.TimeBackup(c.values[5]);
    if (!c.ok) ctx.prompts.answerMessage(MsgAnswer::Ok);
    EXPECT_EQ(ini.Validate_OnSave(), c.ok);
    if (c.ok) {
        EXPECT_TRUE(ctx.prompts.recorded().empty());
        return;
    }
    const auto& m = ctx.prompts.lastMessage();
    EXPECT_EQ(m.text, std::string("Unable to Save this file:\r\nReason: ") + c.reason);
    EXPECT_EQ(m.title, "INI Validation");
    EXPECT_EQ(m.icon, MsgIcon::Exclamation);
    EXPECT_EQ(m.buttons, MsgButtons::Ok);
    EXPECT_EQ(ctx.globals.sMessage, c.reason);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, ValidateTest,
    ::testing::Values(
        ValidationCase{"valid", {"C:\\*.*", "ON", "N", "OFF", "C:\\", "ON"}, true, ""},
        ValidationCase{"lowerCaseSwitch", {"C:\\*.*", "on", "N", "OFF", "C:\\", "ON"}, false,
                       "BackupSubDirectories does not indicate 'ON' or 'OFF'."},
        ValidationCase{"lastOneWins", {"", "ON", "N", "OFF", "C:\\", "yes"}, false,
                       "TimeBackup does not indicate 'ON' or 'OFF'."},
        ValidationCase{"noFiles", {"", "ON", "N", "OFF", "C:\\", "OFF"}, false,
                       "There are no Files Selected to Backup."},
        ValidationCase{"noName", {"x", "ON", "", "OFF", "C:\\", "OFF"}, false,
                       "There is no name for the Backup File."},
        ValidationCase{"multi", {"x", "ON", "N", "On", "C:\\", "OFF"}, false,
                       "MultiVolumeBackup does not indicate 'ON' or 'OFF'."},
        ValidationCase{"noDrive", {"x", "ON", "N", "ON", "", "OFF"}, false, "There is no Drive for the Backup File."}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(clsINITest, ConfirmBackslashNormalisesValuesAndKeepsTheRest) {
    TestContext ctx;
    writeFile(ctx.programHost / "SET.INI",
              "; keep this\r\n[backup source]\r\nBackupFiles=c:\\data\\*.*\r\nBackupSubDirectories=on\r\n"
              "Custom=mine\r\n[Destination]\r\nBackupFileName=daily\r\nBackupToDrive=d:\\backup\r\n"
              "TimeBackup=off\r\n[RESTORE SOURCE]\r\nRestoreFromDrive=\r\nRestoreFileName=\r\n"
              "[Options]\r\nKeep= 3 \r\nExclude=*.tmp;Cache\\\r\n");
    clsINI ini(*ctx.context);
    ini.ConfirmBackslash("C:\\PROG\\SET.INI");
    EXPECT_EQ(ini.Keep(), "3");
    EXPECT_EQ(ini.Exclude(), "*.tmp;Cache\\");
    EXPECT_EQ(ini.BackupToDrive(), "D:\\BACKUP\\");
    EXPECT_EQ(ini.RestoreFromDrive(), "");
    EXPECT_EQ(ini.BackupSubDirectories(), "ON");
    clsINI reread(*ctx.context);
    reread.Read_INI("C:\\PROG\\SET.INI");
    EXPECT_EQ(reread.BackupToDrive(), "D:\\BACKUP\\");
    EXPECT_EQ(reread.BackupFiles(), "C:\\DATA\\*.*");
    EXPECT_EQ(reread.MultiVolumeBackup(), "");
    const std::string text = readFile(ctx.programHost / "SET.INI");
    EXPECT_EQ(text.substr(0, 30), "; keep this\r\n[backup source]\r\n");
    EXPECT_NE(text.find("Custom=mine\r\n"), std::string::npos);
    EXPECT_NE(text.find("[Destination]\r\nBackupFileName=DAILY\r\nBackupToDrive=D:\\BACKUP\\\r\nTimeBackup=OFF\r\n"
                        "MultiVolumeBackup=\r\n"),
              std::string::npos);
    EXPECT_NE(text.find("RestoreFromDrive=\r\n"), std::string::npos);
    EXPECT_NE(text.find("[RESTORE DESTINATION]\r\nRestoreDestination=\r\n"), std::string::npos);
    EXPECT_NE(text.find("[Options]\r\nKeep= 3 \r\nExclude=*.tmp;Cache\\\r\n"), std::string::npos)
        << "the options stay as written";
}

TEST(clsINITest, KeepMustBeAWholeNumberToBeSaved) {
    TestContext ctx;
    clsINI ini(*ctx.context);
    ini.BackupFiles("C:\\*.*");
    ini.BackupSubDirectories("ON");
    ini.BackupFileName("N");
    ini.MultiVolumeBackup("OFF");
    ini.BackupToDrive("C:\\");
    ini.TimeBackup("ON");
    for (const char* fine : {"", "0", " 12 "}) {
        ini.Keep(fine);
        EXPECT_TRUE(ini.Validate_OnSave()) << fine;
    }
    ini.Keep("three");
    ctx.prompts.answerMessage(MsgAnswer::Ok);
    EXPECT_FALSE(ini.Validate_OnSave());
    EXPECT_EQ(ctx.prompts.lastMessage().text, "Unable to Save this file:\r\nReason: Keep is not a whole number.");
}

TEST(clsStringTest, BackslashAndPathParts) {
    EXPECT_EQ(clsString::Backslash("C:"), "C:\\");
    EXPECT_EQ(clsString::Backslash("C:\\"), "C:\\");
    EXPECT_EQ(clsString::Backslash(""), "\\");
    const std::string prog = "E:\\Apps\\Torvane";
    struct Case {
        const char* path;
        int part;
        const char* expected;
    };
    for (const Case& c : std::initializer_list<Case>{{"\\", 0, "E:\\"},
                                                     {"DATA\\*.*", 0, "E:\\"},
                                                     {"C:\\DATA\\*.*", 0, "C:\\"},
                                                     {"C:\\DATA\\*.*", 1, "C:\\DATA\\"},
                                                     {"C:\\DATA\\*.*", 2, "*.*"},
                                                     {"C:\\*.*", 1, "C:\\"},
                                                     {"\\FILE", 1, ""},
                                                     {"\\FILE", 2, ""},
                                                     {"FILE.TXT", 1, ""},
                                                     {"FILE.TXT", 2, "FILE.TXT"},
                                                     {"C:\\DATA\\", 2, ""},
                                                     {"C:\\DATA\\*.*", 3, ""}})
        EXPECT_EQ(backupParts(prog, c.path, c.part), c.expected) << c.path << " part " << c.part;
}

TEST(clsFilesTest, ReadCutsLongValuesAndWriteKeepsHandEdits) {
    TestContext ctx;
    const std::string handEdited = "; notes\r\n[Backup Source]\r\nBackupFiles=" + std::string(300, 'x') +
                                   "\r\n\r\n[destination]\r\nbackuptodrive = E:\\\r\nOther=1\r\n";
    writeFile(ctx.programHost / "A.INI", handEdited);
    clsFiles files(*ctx.context);
    const platform::ProfileDocument read = files.LoadINI("C:\\PROG\\A.INI");
    EXPECT_EQ(clsFiles::ReadINI(read, "BACKUP SOURCE", "BackupFiles"), std::string(254, 'x'));
    EXPECT_EQ(clsFiles::ReadINI(read, "BACKUP SOURCE", "Nope"), "");
    files.WriteINI("Destination", "BackupToDrive", "F:\\", "C:\\Prog\\a.ini");
    std::string expected = handEdited;
    expected.replace(expected.find("backuptodrive = E:\\"), 19, "backuptodrive=F:\\");
    EXPECT_EQ(readFile(ctx.programHost / "A.INI"), expected);
    EXPECT_THROW(files.WriteINI("A", "B", "C", "Q:\\NOWHERE.INI"), TorvaneError);
}

TEST(clsFilesTest, ExistAnswersForFilesAndFolders) {
    TestContext ctx;
    std::filesystem::create_directories(ctx.cRoot / "tmp/x/Data/Empty");
    writeFile(ctx.cRoot / "tmp/x/Data/TEST.INI", "");
    clsFiles files(*ctx.context);
    EXPECT_TRUE(files.Exist("", true));
    EXPECT_TRUE(files.Exist("C:\\TMP\\X\\DATA", false));
    EXPECT_TRUE(files.Exist("c:\\tmp\\x\\data\\", false));
    EXPECT_TRUE(files.Exist("C:\\TMP\\X\\DATA\\test.ini", true));
    EXPECT_TRUE(files.Exist("C:\\TMP\\X\\DATA\\EMPTY\\*.*", true));
    EXPECT_FALSE(files.Exist("C:\\TMP\\X\\DATA\\NOPE\\*.*", true));
    EXPECT_FALSE(files.Exist("C:\\TMP\\X\\DATA\\EMPTY", true));  // a folder is no file
    EXPECT_FALSE(files.Exist("C:\\TMP\\X\\DATA\\TEST.INI", false));
    EXPECT_FALSE(files.Exist("Q:\\TMP\\X\\DATA", false));
    EXPECT_FALSE(files.Exist("Q:\\TEST.INI", true));
}

struct StringBox : TextBox {
    void setText(const std::string& t) override { text = t; }
    std::string text = "old";
};

TEST(clsFilesTest, ShowJoinsLinesAndNamesTheFileExceptTheLog) {
    TestContext ctx;
    writeFile(ctx.programHost / "THREE.INI", "a\r\nb\r\nc\r\n");
    writeFile(ctx.programHost / "Torvane.Log", "log\r\n");
    writeFile(ctx.programHost / "EMPTY.INI", "");
    clsFiles files(*ctx.context);
    StringBox box;
    std::string caption = "before";
    const auto setCaption = [&](const std::string& c) { caption = c; };
    files.Show_INI("", "three.ini", box, setCaption);
    EXPECT_EQ(box.text, "a\r\nb\r\nc");
    EXPECT_EQ(caption, "INI File Contents - three.ini");
    caption = "before";
    files.Show_INI("", "TORVANE.LOG", box, setCaption);
    EXPECT_EQ(box.text, "log");
    EXPECT_EQ(caption, "before");
    files.Show_INI("", "EMPTY.INI", box, setCaption);
    EXPECT_EQ(box.text, "");
    files.Show_INI("", "MISSING.INI", box, setCaption);
    EXPECT_EQ(box.text, "");
    files.Show_INIQuick("", "THREE.INI", box);
    EXPECT_EQ(box.text, "a\r\nb\r\nc\r\n");
}

}  // namespace
}  // namespace torvane
