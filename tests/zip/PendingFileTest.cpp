#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <system_error>

#include "TempDir.h"
#include "ZipTestSupport.h"
#include "zip/PendingFile.h"

namespace torvane::zip::test {
namespace {

using torvane::test::readFile;
using torvane::test::TempDir;
using torvane::test::writeFile;
using Strategy = PendingFile::Strategy;

class PendingFileTest : public ::testing::TestWithParam<Strategy> {
  protected:
    PendingFileTest() {
        std::filesystem::create_directories(tmp / "d");
        dir = ::open((tmp / "d").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    }
    ~PendingFileTest() override { ::close(dir); }

    void write(PendingFile& f, const std::string& text) {
        ASSERT_EQ(::write(f.fd(), text.data(), text.size()), static_cast<ssize_t>(text.size()));
    }

    TempDir tmp;
    int dir = -1;
};

TEST_P(PendingFileTest, NameAppearsOnlyWhenPublishedAndNothingElseRemains) {
    {
        PendingFile f(dir, "a.txt", GetParam());
        write(f, "complete");
        EXPECT_FALSE(std::filesystem::exists(tmp / "d" / "a.txt"));
        f.publish();
    }
    EXPECT_EQ(readFile(tmp / "d" / "a.txt"), "complete");
    EXPECT_EQ(allEntries(tmp / "d"), std::vector<std::string>{"a.txt"});
}

TEST_P(PendingFileTest, ReplacesAFileAndASymlinkWithoutFollowingIt) {
    writeFile(tmp / "d" / "a.txt", "old");
    writeFile(tmp / "outside" / "target.txt", "not to be touched");
    std::filesystem::create_symlink(tmp / "outside" / "target.txt", tmp / "d" / "link.txt");
    for (const char* leaf : {"a.txt", "link.txt"}) {
        PendingFile f(dir, leaf, GetParam());
        write(f, std::string("new ") + leaf);
        f.publish();
    }
    EXPECT_EQ(readFile(tmp / "d" / "a.txt"), "new a.txt");
    EXPECT_FALSE(std::filesystem::is_symlink(tmp / "d" / "link.txt"));
    EXPECT_EQ(readFile(tmp / "d" / "link.txt"), "new link.txt");
    EXPECT_EQ(readFile(tmp / "outside" / "target.txt"), "not to be touched");
    EXPECT_EQ(allEntries(tmp / "d"), (std::vector<std::string>{"a.txt", "link.txt"}));
}

TEST_P(PendingFileTest, AnAbandonedOrUnplaceableFileLeavesTheFolderAsItWas) {
    writeFile(tmp / "d" / "a.txt", "keep me");
    std::filesystem::create_directories(tmp / "d" / "sub");
    {
        PendingFile f(dir, "a.txt", GetParam());
        write(f, "half of it");
    }
    {
        PendingFile f(dir, "sub", GetParam());
        write(f, "a file where a folder is");
        EXPECT_THROW(f.publish(), std::system_error);
    }
    EXPECT_EQ(readFile(tmp / "d" / "a.txt"), "keep me");
    EXPECT_TRUE(std::filesystem::is_directory(tmp / "d" / "sub"));
    EXPECT_EQ(allEntries(tmp / "d"), (std::vector<std::string>{"a.txt", "sub"}));
}

INSTANTIATE_TEST_SUITE_P(Strategies, PendingFileTest,
                         ::testing::Values(Strategy::Auto, Strategy::TemporaryName),
                         [](const auto& info) {
                             return info.param == Strategy::Auto ? "Auto" : "TemporaryName";
                         });

}  // namespace
}  // namespace torvane::zip::test
