#include <gtest/gtest.h>

#include <stdexcept>

#include "TestContext.h"
#include "common/TorvaneError.h"
#include "common/VersionText.h"
#include "common/clsLog.h"
#include "platform/AtomicFile.h"
#include "restore/clsCfg.h"

namespace torvane {
namespace {

using test::readFile;
using test::TestContext;
using test::writeFile;

class ClsCfgTest : public ::testing::Test {
  protected:
    std::filesystem::path file() const { return ctx.programHost / "Torvane.Cfg"; }
    std::vector<std::string> lines() const { return splitLogLines(readFile(file())); }
    std::vector<std::string> protectedLines() const {
        const auto all = lines();
        return std::vector<std::string>(all.begin() + 8, all.end());
    }
    // Every name in the program folder, to see that no temporary is left behind.
    std::vector<std::string> programFiles() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(ctx.programHost))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    TestContext ctx;
    clsCfg cfg{*ctx.context};
};

TEST_F(ClsCfgTest, CreateWritesSevenHeaderLinesAndAnEmptyLine) {
    writeFile(file(), "old content\r\nC:\\DATA\r\n");
    cfg.Create_CFG(cfg.FilePath());
    EXPECT_EQ(cfg.FilePath(), "C:\\Prog\\Torvane.Cfg");
    const auto l = lines();
    ASSERT_EQ(l.size(), 8u);
    EXPECT_EQ(l[0], ";---------------------------");
    EXPECT_EQ(l[1], ";  Maldreth Backup Utility  ");
    EXPECT_EQ(l[2], ";        Version " + VersionText());
    EXPECT_EQ(l[3].substr(0, 1), ";");
    EXPECT_NE(l[3].find("2026"), std::string::npos);
    EXPECT_EQ(l[4], ";---------------------------");
    EXPECT_EQ(l[5], ";  Secure Data Directories  ");
    EXPECT_EQ(l[6], ";");
    EXPECT_EQ(l[7], "");
    EXPECT_NE(readFile(file()).find(";\r\n\r\n"), std::string::npos);
    EXPECT_TRUE(cfg.ReturnProtected().empty());
}

TEST_F(ClsCfgTest, AddWritesUpperCaseAndIsProtectedIsCaseBlindButExact) {
    cfg.Create_CFG(cfg.FilePath());
    cfg.Protected_Add("c:\\data");
    EXPECT_EQ(protectedLines(), std::vector<std::string>{"C:\\DATA"});
    EXPECT_TRUE(cfg.IsProtected("C:\\DATA"));
    EXPECT_TRUE(cfg.IsProtected("c:\\Data"));
    EXPECT_FALSE(cfg.IsProtected("C:\\DATA\\"));
    EXPECT_FALSE(cfg.IsProtected("C:\\DATA\\SUB"));
    EXPECT_FALSE(cfg.IsProtected("C:\\"));
    EXPECT_EQ(cfg.ReturnProtected(), std::vector<std::string>{"C:\\DATA"});
}

TEST_F(ClsCfgTest, HandEditedLinesAreReadAsTheReadersTrimThem) {
    cfg.Create_CFG(cfg.FilePath());
    // The header is skipped whatever it holds, and a hand-edited file may end without a line end.
    const std::string content = readFile(file());
    writeFile(file(), "C:\\NOT A FOLDER\r\n" + content.substr(content.find("\r\n") + 2) +
                          "C:\\DATA\\\r\n\r\nd:\\Letters\\\\\r\nC:\\LAST");
    EXPECT_EQ(cfg.ReturnProtected(),
              (std::vector<std::string>{"C:\\DATA", "d:\\Letters\\", "C:\\LAST"}));
    EXPECT_TRUE(cfg.IsProtected("C:\\DATA"));
    EXPECT_FALSE(cfg.IsProtected("C:\\NOT A FOLDER"));

    cfg.Protected_Add("C:\\NEW\\");
    EXPECT_EQ(cfg.ReturnProtected().back(), "C:\\NEW");
    EXPECT_TRUE(cfg.IsProtected("C:\\LAST"));

    // A header cut short by hand still keeps a new folder out of the seven skipped lines.
    writeFile(file(), ";---\r\n;  Secure Data Directories");
    cfg.Protected_Add("C:\\DATA");
    EXPECT_EQ(cfg.ReturnProtected(), std::vector<std::string>{"C:\\DATA"});
    EXPECT_EQ(lines().size(), 9u);
}

TEST_F(ClsCfgTest, DuplicatesAreKeptAndRemovedTogether) {
    cfg.Create_CFG(cfg.FilePath());
    cfg.Protected_Add("C:\\DATA");
    cfg.Protected_Add("C:\\OTHER");
    cfg.Protected_Add("c:\\data");
    writeFile(file(), readFile(file()) + "\r\nC:\\Data\\\r\nC:\\KEPT\\\r\n");
    EXPECT_EQ(protectedLines(), (std::vector<std::string>{"C:\\DATA", "C:\\OTHER", "C:\\DATA", "",
                                                          "C:\\Data\\", "C:\\KEPT\\"}));

    const std::string header = readFile(file()).substr(0, readFile(file()).find("C:\\DATA"));
    cfg.Protected_Delete("c:\\DATA");
    EXPECT_EQ(readFile(file()), header + "C:\\OTHER\r\n\r\nC:\\KEPT\r\n");
    EXPECT_FALSE(cfg.IsProtected("C:\\DATA"));
    EXPECT_TRUE(cfg.IsProtected("C:\\OTHER"));
}

TEST_F(ClsCfgTest, HeaderOnlyFileListsNothingAndSurvivesARemoval) {
    cfg.Create_CFG(cfg.FilePath());
    const std::string header = readFile(file());
    EXPECT_TRUE(cfg.ReturnProtected().empty());
    cfg.Protected_Delete("C:\\DATA");
    EXPECT_EQ(readFile(file()), header);
}

TEST_F(ClsCfgTest, MissingFileListsNothingAndAddCreatesIt) {
    EXPECT_TRUE(cfg.ReturnProtected().empty());
    EXPECT_FALSE(cfg.IsProtected("C:\\DATA"));
    cfg.Protected_Delete("C:\\DATA");
    EXPECT_FALSE(std::filesystem::exists(file()));

    cfg.Protected_Add("C:\\DATA");
    ASSERT_EQ(lines().size(), 9u);
    EXPECT_EQ(lines()[7], "");
    EXPECT_EQ(cfg.ReturnProtected(), std::vector<std::string>{"C:\\DATA"});
}

TEST_F(ClsCfgTest, AFailureBetweenWritingAndRenamingLeavesTheOldListWhole) {
    cfg.Create_CFG(cfg.FilePath());
    cfg.Protected_Add("C:\\DATA");
    cfg.Protected_Add("C:\\OTHER");
    writeFile(ctx.programHost / "Torvane.Cft", "left over by an interrupted rewrite");
    const std::string before = readFile(file());
    {
        platform::AtomicWriteFaultHook crash(
            [](const std::filesystem::path&) { throw std::runtime_error("power lost"); });
        EXPECT_THROW(cfg.Protected_Delete("C:\\DATA"), TorvaneError);
        EXPECT_THROW(cfg.Protected_Add("C:\\NEW"), TorvaneError);
    }
    EXPECT_EQ(readFile(file()), before);
    EXPECT_EQ(programFiles(), std::vector<std::string>{"Torvane.Cfg"});

    cfg.Protected_Delete("C:\\DATA");
    EXPECT_EQ(cfg.ReturnProtected(), std::vector<std::string>{"C:\\OTHER"});
    EXPECT_EQ(programFiles(), std::vector<std::string>{"Torvane.Cfg"});
}

TEST_F(ClsCfgTest, MenuRefusesTheSystemFolderButNotWhatLiesBelowIt) {
    const std::string system = ctx.host->systemFolder();
    const auto refusal = secureAdd(*ctx.context, system);
    ASSERT_TRUE(refusal);
    EXPECT_EQ(
        refusal->text,
        "This folder is maintained by your Operating System.  You may not Protect System Folders.");
    EXPECT_EQ(refusal->title, "Protected Folders");
    EXPECT_EQ(refusal->icon, MsgIcon::Exclamation);
    std::string lower = system;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_TRUE(secureAdd(*ctx.context, lower));
    EXPECT_FALSE(std::filesystem::exists(file()));

    EXPECT_FALSE(secureAdd(*ctx.context, system + "\\lib"));
    EXPECT_TRUE(cfg.IsProtected(system + "\\LIB"));
    EXPECT_FALSE(cfg.IsProtected(system));

    secureDelete(*ctx.context, system + "\\LIB");
    EXPECT_TRUE(cfg.ReturnProtected().empty());
    std::filesystem::remove(file());
    secureDelete(*ctx.context, "C:\\DATA");
    EXPECT_EQ(lines().size(), 8u);
}

}  // namespace
}  // namespace torvane
