#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "TestContext.h"
#include "restore/FolderTree.h"
#include "restore/clsInfo.h"

namespace torvane {
namespace {

using test::TestContext;
using test::writeFile;

std::vector<std::string> names(const std::vector<FolderNode>& nodes) {
    std::vector<std::string> out;
    for (const FolderNode& n : nodes) out.push_back(n.name);
    return out;
}

TEST(FolderTree, OneLevelSortedWithoutFilesOrLinks) {
    TestContext ctx;
    for (const char* folder : {"beta", "Alpha", "gamma/deeper/deepest", "ALPHA2"})
        std::filesystem::create_directories(ctx.cRoot / folder);
    writeFile(ctx.cRoot / "a-file.txt", "not a folder");
    writeFile(ctx.cRoot / "beta/inside.txt", "files do not count as subfolders");
    std::filesystem::create_directory_symlink(ctx.cRoot / "gamma", ctx.cRoot / "link-to-gamma");
    std::filesystem::create_directory_symlink(ctx.cRoot, ctx.cRoot / "gamma/loop");

    const FolderTree tree(*ctx.host);
    const auto top = tree.subfolders("C:\\");
    EXPECT_EQ(names(top), (std::vector<std::string>{"Alpha", "ALPHA2", "beta", "gamma", "Prog"}));
    EXPECT_EQ(top[3].path, "C:\\gamma");
    const auto below = tree.subfolders("c:\\GAMMA");
    ASSERT_EQ(names(below), std::vector<std::string>{"deeper"});
    EXPECT_EQ(below[0].path, "c:\\GAMMA\\deeper");
    EXPECT_EQ(tree.subfolders("C:\\gamma\\")[0].path, "C:\\gamma\\deeper");

    EXPECT_TRUE(tree.hasSubfolders("C:\\"));
    EXPECT_TRUE(tree.hasSubfolders("C:\\gamma"));
    EXPECT_FALSE(tree.hasSubfolders("C:\\beta"));
    EXPECT_FALSE(tree.hasSubfolders("C:\\gamma\\deeper\\deepest"));
}

TEST(FolderTree, AFolderThatCannotBeReadHasNoChildren) {
    TestContext ctx;
    writeFile(ctx.cRoot / "a-file.txt", "not a folder");
    std::filesystem::create_directories(ctx.cRoot / "Locked/Hidden");
    const FolderTree tree(*ctx.host);
    for (const char* path : {"C:\\MISSING", "C:\\a-file.txt", "Q:\\", ""}) {
        EXPECT_TRUE(tree.subfolders(path).empty()) << path;
        EXPECT_FALSE(tree.hasSubfolders(path)) << path;
    }
    // Permission bits do not stop the superuser, so they prove nothing there.
    if (::geteuid() != 0) {
        ::chmod((ctx.cRoot / "Locked").c_str(), 0);
        EXPECT_TRUE(tree.subfolders("C:\\Locked").empty());
        EXPECT_FALSE(tree.hasSubfolders("C:\\Locked"));
        ::chmod((ctx.cRoot / "Locked").c_str(), 0755);
    }
}

struct Box : TextBox {
    void setText(const std::string& t) override { text = t; }
    std::string text;
};

TEST(SecureDataText, SixParagraphsWithTheirOwnWords) {
    Box box;
    clsInfo().SecureData(box);
    std::vector<std::string> paragraphs;
    for (size_t at = 0;;) {
        const size_t next = box.text.find("\r\n\r\n", at);
        paragraphs.push_back(box.text.substr(at, next - at));
        if (next == std::string::npos) break;
        at = next + 4;
    }
    ASSERT_EQ(paragraphs.size(), 6u);
    EXPECT_EQ(paragraphs[0],
              "When restoring files, the User MUST be sure that the Process will not overwrite the "
              "existing data "
              "and destroy updated information.");
    EXPECT_EQ(paragraphs[2],
              "If Torvane detects that a 'Protected' Directory is about to be overwritten, it "
              "renames the "
              "'Protected' Directory and then allows the Restore Process to continue.");
    EXPECT_NE(paragraphs[3].find("C:\\My Directory"), std::string::npos);
    EXPECT_NE(paragraphs[3].find("001"), std::string::npos);
    EXPECT_NE(paragraphs[3].find("999"), std::string::npos);
    EXPECT_EQ(paragraphs[5], "For futher Information please contact Quorrin.");
    for (const std::string& p : paragraphs) EXPECT_EQ(p.find('\n'), std::string::npos);
}

}  // namespace
}  // namespace torvane
