#include <gtest/gtest.h>

#include <cstdio>

#include "RestoreTestLog.h"
#include "TestContext.h"
#include "restore/ProtectedRenames.h"
#include "restore/RestoreChecks.h"
#include "restore/clsCfg.h"

namespace torvane {
namespace {

using test::readFile;
using test::records;
using test::TestContext;
using test::writeFile;

zip::MemberInfo file(const std::string& name) { return {name}; }
zip::MemberInfo folder(const std::string& name) {
    zip::MemberInfo m{name};
    m.isDirectory = true;
    return m;
}

TEST(MemberTarget, DestinationAndFolderPartAreJoinedWithOneBackslash) {
    EXPECT_EQ(memberTargetFolder("D:\\", file("LETTERS/a.txt")), "D:\\LETTERS\\");
    EXPECT_EQ(memberTargetFolder("D:\\DATA", file("LETTERS/a.txt")), "D:\\DATA\\LETTERS\\");
    EXPECT_EQ(memberTargetFolder("D:\\DATA\\", file("LETTERS/a.txt")), "D:\\DATA\\LETTERS\\");
    EXPECT_EQ(memberTargetFolder("D:\\DATA", file("a.txt")), "D:\\DATA\\");
    EXPECT_EQ(memberTargetFolder("D:\\DATA", folder("SUB/")), "D:\\DATA\\SUB\\");
    EXPECT_EQ(memberTargetFolder("D:\\DATA", file("a\\b/./c//d.txt")), "D:\\DATA\\a\\b\\c\\");
    EXPECT_EQ(memberTargetFolder("D:\\DATA", file("../x.txt")), std::nullopt);
    EXPECT_EQ(memberTargetFolder("D:\\DATA", file("/etc/x")), std::nullopt);
}

TEST(MemberTarget, ProtectedFoldersMatchOnFolderBoundaries) {
    struct Row {
        const char* target;
        const char* folder;
        bool reaches;
    };
    for (const Row& r :
         {Row{"C:\\DATA\\", "C:\\DATA", true}, Row{"C:\\DATA", "C:\\DATA", true},
          Row{"c:\\data\\letters\\", "C:\\DATA", true}, Row{"C:\\DATABASE\\", "C:\\DATA", false},
          Row{"C:\\DAT\\", "C:\\DATA", false}, Row{"C:\\", "C:\\DATA", false},
          Row{"D:\\DATA\\", "C:\\DATA", false}, Row{"C:\\OLD\\DATA\\", "C:\\DATA", false}})
        EXPECT_EQ(reachesFolder(r.target, r.folder), r.reaches) << r.target << " / " << r.folder;
}

// Program folder C:\PROG; the protected folders live on C: in the temporary folder.
class ProtectedRenamesTest : public ::testing::Test {
  protected:
    ProtectedRenamesTest() { writeFile(ctx.cRoot / "Data/old.txt", "keep me"); }

    void protect(const std::vector<std::string>& folders) {
        clsCfg cfg(*ctx.context);
        cfg.Create_CFG(cfg.FilePath());
        for (const std::string& f : folders) cfg.Protected_Add(f);
    }
    std::optional<MessageRequest> restore(const std::string& destination,
                                          const std::vector<zip::MemberInfo>& members,
                                          const FolderRenamer& renamer = renameHostFolder) {
        return prepareRestore(*ctx.context, {"DAILY.INI", "", destination}, members, renamer);
    }
    bool exists(const std::string& relative) const {
        return std::filesystem::exists(ctx.cRoot / relative);
    }

    TestContext ctx;
};

TEST_F(ProtectedRenamesTest, ChecksRefuseBeforeAnythingIsRenamedOrLogged) {
    protect({"C:\\DATA"});
    const std::vector<zip::MemberInfo> members{file("Data/a.txt")};
    auto refusal = prepareRestore(*ctx.context, {"", "", "C:\\"}, members);
    ASSERT_TRUE(refusal);
    EXPECT_EQ(refusal->text,
              "Nothing has been selected to Restore.\r\n\r\nPlease enter a valid Restore File.");
    EXPECT_EQ(refusal->title, "Restore");
    EXPECT_EQ(refusal->icon, MsgIcon::Exclamation);

    refusal = prepareRestore(*ctx.context, {"", "C:\\BACKUPS\\DAILY.zip", ""}, members);
    ASSERT_TRUE(refusal);
    EXPECT_EQ(refusal->text,
              "No Location has been selected to Restore the File To.\r\n\r\nTorvane has been "
              "designed to allow the "
              "user to manualy select the Restore Location themselves as this can cause major "
              "risks to Users "
              "Data.\r\n\r\nPLEASE SELECT THE RESTORE LOCATION WITH CARE!");
    EXPECT_EQ(refusal->title, "Restore");
    EXPECT_TRUE(exists("Data/old.txt"));
    EXPECT_TRUE(records(ctx).empty());

    const MessageRequest caution = restoreCaution(*ctx.context);
    EXPECT_EQ(caution.icon, MsgIcon::Critical);
    EXPECT_EQ(caution.title, "Restore");
    EXPECT_EQ(caution.text, refusal->text.substr(refusal->text.find("Torvane")));
}

TEST_F(ProtectedRenamesTest, RenamesOnceForTwoMembersThenTakesTheNextFreeName) {
    protect({"C:\\DATA"});
    const std::vector<zip::MemberInfo> members{file("data/letters/a.txt"), file("Data/b.txt"),
                                               file("c.txt")};
    EXPECT_FALSE(restore("C:\\", members));
    EXPECT_EQ(readFile(ctx.cRoot / "DATA_001/old.txt"), "keep me");
    EXPECT_FALSE(exists("Data"));
    const auto raw = test::rawRecords(ctx);
    ASSERT_EQ(raw.size(), 2u);
    EXPECT_EQ(records(ctx)[0], "Restore process about to Overwrite C:\\DATA");
    EXPECT_EQ(raw[1], std::string(20, ' ') + "C:\\DATA renamed to C:\\DATA_001");

    writeFile(ctx.cRoot / "Data/old.txt", "second");
    EXPECT_FALSE(restore("C:\\", members));
    EXPECT_EQ(readFile(ctx.cRoot / "DATA_002/old.txt"), "second");
    EXPECT_EQ(readFile(ctx.cRoot / "DATA_001/old.txt"), "keep me");
    const auto lines = records(ctx);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[2], "Restore process about to Overwrite C:\\DATA");
    EXPECT_EQ(lines[3], "C:\\DATA renamed to C:\\DATA_002");
}

TEST_F(ProtectedRenamesTest, OnlyFoldersTheMembersReachAreRenamed) {
    std::filesystem::create_directories(ctx.cRoot / "Other");
    protect({"C:\\DATA", "C:\\OTHER", "C:\\GONE"});
    // C:\DATABASE shares the letters of C:\DATA but is another folder; C:\GONE does not exist.
    EXPECT_FALSE(restore("C:\\DATABASE", {file("x.txt"), folder("SUB/")}));
    EXPECT_FALSE(restore("C:\\", {file("gone/x.txt"), file("Other.txt")}));
    EXPECT_FALSE(restore("C:\\DATA_OLD", {file("a.txt")}));
    EXPECT_TRUE(exists("Data/old.txt"));
    EXPECT_TRUE(exists("Other"));
    EXPECT_TRUE(records(ctx).empty());

    // A destination inside a protected folder reaches it; a folder entry reaches its own folder.
    EXPECT_FALSE(restore("C:\\OTHER\\DEEP", {file("x.txt")}));
    EXPECT_TRUE(exists("OTHER_001"));
    EXPECT_FALSE(restore("C:\\", {folder("data/")}));
    EXPECT_TRUE(exists("DATA_001/old.txt"));
}

TEST_F(ProtectedRenamesTest, NestedProtectedFoldersMoveWithTheOuterOne) {
    writeFile(ctx.cRoot / "Data/Sub/inner.txt", "inner");
    protect({"C:\\DATA\\SUB", "C:\\DATA", "c:\\data"});
    EXPECT_FALSE(restore("C:\\DATA", {file("Sub/x.txt")}));
    EXPECT_EQ(readFile(ctx.cRoot / "DATA_001/Sub/inner.txt"), "inner");
    EXPECT_EQ(records(ctx), (std::vector<std::string>{"Restore process about to Overwrite C:\\DATA",
                                                      "C:\\DATA renamed to C:\\DATA_001"}));
}

TEST_F(ProtectedRenamesTest, NoFreeNameRefusesBeforeAnyRename) {
    std::filesystem::create_directories(ctx.cRoot / "Other");
    for (int n = 1; n <= 999; ++n) {
        char name[16];
        std::snprintf(name, sizeof name, "DATA_%03d", n);
        std::filesystem::create_directory(ctx.cRoot /
                                          (n == 500 ? std::string("data_500") : std::string(name)));
    }
    protect({"C:\\OTHER", "C:\\DATA"});
    const auto refusal = restore("C:\\", {file("Other/a.txt"), file("Data/b.txt")});
    ASSERT_TRUE(refusal);
    EXPECT_EQ(refusal->title, "Restore");
    EXPECT_NE(refusal->text.find("C:\\DATA_001 to C:\\DATA_999"), std::string::npos);
    EXPECT_TRUE(exists("Other"));
    EXPECT_FALSE(exists("OTHER_001"));
    EXPECT_TRUE(exists("Data/old.txt"));
    EXPECT_EQ(
        records(ctx),
        (std::vector<std::string>{
            "Restore process about to Overwrite C:\\DATA",
            "Unable to Rename C:\\DATA - every name from C:\\DATA_001 to C:\\DATA_999 is taken",
            "Restore Not Started"}));

    std::filesystem::remove(ctx.cRoot / "data_500");
    EXPECT_FALSE(restore("C:\\", {file("Data/b.txt")}));
    EXPECT_TRUE(exists("DATA_500/old.txt"));
}

TEST_F(ProtectedRenamesTest, ARenameFailureStopsTheRestoreAndKeepsEarlierRenames) {
    writeFile(ctx.cRoot / "Other/o.txt", "other");
    protect({"C:\\OTHER", "C:\\DATA"});
    std::vector<std::filesystem::path> attempted;
    const FolderRenamer busyData = [&](const std::filesystem::path& from,
                                       const std::filesystem::path& to) {
        attempted.push_back(to);
        if (from.filename() == "Data")
            return std::make_error_code(std::errc::device_or_resource_busy);
        return renameHostFolder(from, to);
    };
    const auto refusal = restore("C:\\", {file("Other/a.txt"), file("Data/b.txt")}, busyData);
    ASSERT_TRUE(refusal);
    EXPECT_EQ(refusal->title, "Restore");
    const std::string reason = std::make_error_code(std::errc::device_or_resource_busy).message();
    EXPECT_NE(refusal->text.find(reason), std::string::npos);
    EXPECT_EQ(attempted, (std::vector<std::filesystem::path>{ctx.cRoot / "OTHER_001",
                                                             ctx.cRoot / "DATA_001"}));
    EXPECT_EQ(readFile(ctx.cRoot / "OTHER_001/o.txt"), "other");
    EXPECT_TRUE(exists("Data/old.txt"));
    EXPECT_EQ(
        records(ctx),
        (std::vector<std::string>{
            "Restore process about to Overwrite C:\\OTHER", "C:\\OTHER renamed to C:\\OTHER_001",
            "Restore process about to Overwrite C:\\DATA",
            "Unable to Rename C:\\DATA to C:\\DATA_001 - " + reason, "Restore Not Started"}));
}

TEST_F(ProtectedRenamesTest, AMissingOrEmptyListRenamesNothing) {
    EXPECT_FALSE(restore("C:\\", {file("Data/a.txt")}));
    protect({});
    EXPECT_FALSE(restore("C:\\", {file("Data/a.txt")}));
    protect({"C:\\DATA"});
    EXPECT_FALSE(restore("C:\\", {}));
    EXPECT_TRUE(exists("Data/old.txt"));
    EXPECT_TRUE(records(ctx).empty());
}

}  // namespace
}  // namespace torvane
