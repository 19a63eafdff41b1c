#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "TempDir.h"
#include "ZipTestSupport.h"
#include "zip/ZipEngine.h"

namespace torvane::zip::test {
namespace {

using torvane::test::readFile;
using torvane::test::TempDir;

bool containsSignature(const std::filesystem::path& p, std::uint32_t sig, std::size_t tailBytes) {
    std::string s = readFile(p);
    std::string want(4, '\0');
    for (int i = 0; i < 4; ++i) want[i] = static_cast<char>(sig >> (8 * i));
    std::size_t from = s.size() > tailBytes ? s.size() - tailBytes : 0;
    return s.find(want, from) != std::string::npos;
}

TEST(Heavy, SeventyThousandFilesNeedZip64EndRecords) {
    TempDir tmp;
    const int kFiles = 70'000;
    for (int d = 0; d < 70; ++d) {
        std::filesystem::path dir = tmp / "src" / ("dir" + std::to_string(d));
        std::filesystem::create_directories(dir);
        for (int f = 0; f < kFiles / 70; ++f) {
            std::string name = (dir / ("file" + std::to_string(f) + ".txt")).string();
            int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            std::string body = name.substr(name.size() - 12);
            ASSERT_EQ(::write(fd, body.data(), body.size()), static_cast<ssize_t>(body.size()));
            ::close(fd);
        }
    }
    NoEvents none;
    ASSERT_EQ(createArchive(backupOf(tmp / "src", tmp / "many.zip"), none).status,
              Outcome::Status::Success);
    EXPECT_TRUE(containsSignature(tmp / "many.zip", 0x06064b50, 200)) << "zip64 end record";
    EXPECT_EQ(listArchive(tmp / "many.zip").size(), static_cast<std::size_t>(kFiles));
    if (hasTool("unzip")) {
        EXPECT_TRUE(run("unzip -tq " + quote(tmp / "many.zip")));
    }
    RestoreRequest r{tmp / "many.zip", tmp / "dst", {}, {}, 0, {}};
    ASSERT_EQ(extractArchive(r, none).status, Outcome::Status::Success);
    EXPECT_EQ(readFile(tmp / "dst" / "dir69" / "file999.txt"),
              readFile(tmp / "src" / "dir69" / "file999.txt"));
    std::size_t count = 0;
    for (const auto& e : std::filesystem::recursive_directory_iterator(tmp / "dst"))
        count += e.is_regular_file();
    EXPECT_EQ(count, static_cast<std::size_t>(kFiles));
}

TEST(Heavy, FileOverFourGiBGetsZip64SizesAndRightCrc) {
    TempDir tmp;
    const std::uint64_t size =
        (std::uint64_t{9} << 29) + 12345;  // 4.5 GiB and a bit, mostly a hole
    std::filesystem::create_directories(tmp / "src");
    int fd = ::open((tmp / "src" / "sparse.img").c_str(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::pwrite(fd, "head", 4, 0), 4);
    ASSERT_EQ(::pwrite(fd, "tail", 4, static_cast<off_t>(size - 4)), 4);
    ::close(fd);
    torvane::test::writeFile(tmp / "src" / "small.txt", "after the big one");

    NoEvents none;
    ASSERT_EQ(createArchive(backupOf(tmp / "src", tmp / "big.zip"), none).status,
              Outcome::Status::Success);
    EXPECT_LT(std::filesystem::file_size(tmp / "big.zip"), 64u << 20);
    auto members = listArchive(tmp / "big.zip");
    ASSERT_EQ(members.size(), 2u);
    EXPECT_EQ(members[0].name, "small.txt");
    EXPECT_EQ(members[1].name, "sparse.img");
    EXPECT_EQ(members[1].size, size);
    // Only the one entry that needs it carries zip64 sizes; the archive itself is small enough
    // to need no zip64 end record.
    EXPECT_FALSE(containsSignature(tmp / "big.zip", 0x06064b50, 1000));
    if (hasTool("unzip")) {
        EXPECT_TRUE(run("unzip -tq " + quote(tmp / "big.zip")));
    } else if (hasTool("7z")) {
        EXPECT_TRUE(run("7z t " + quote(tmp / "big.zip")));
    }
}

}  // namespace
}  // namespace torvane::zip::test
