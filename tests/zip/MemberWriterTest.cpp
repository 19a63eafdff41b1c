#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <system_error>

#include "TempDir.h"
#include "zip/MemberWriter.h"

namespace torvane::zip::test {
namespace {

using torvane::test::readFile;
using torvane::test::TempDir;

std::string pattern(std::size_t n) {
    std::string s(n, '\0');
    std::uint32_t x = 2463534242u;
    for (char& c : s) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        c = static_cast<char>(x);
    }
    return s;
}

// Writes `data` in pieces of `piece` bytes, as the inflater hands them over.
void writeFileIn(const std::filesystem::path& path, const std::string& data, std::size_t piece,
                 WriteLimit* limit = nullptr) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0);
    try {
        MemberWriter w(fd, data.size(), limit);
        for (std::size_t at = 0; at < data.size(); at += piece)
            w.write(data.data() + at, std::min(piece, data.size() - at));
        w.finish();
    } catch (...) {
        ::close(fd);
        throw;
    }
    ::close(fd);
}

TEST(MemberWriter, EverySizeAroundTheBlockBoundariesArrivesIntact) {
    std::vector<std::filesystem::path> folders;
    TempDir tmp;
    folders.push_back(tmp.path());
    // A memory file system takes direct writes differently, or not at all.
    if (std::filesystem::is_directory("/dev/shm")) folders.push_back("/dev/shm");
    const std::size_t k = MemberWriter::kDirectFrom;
    for (const auto& folder : folders) {
        for (std::size_t size :
             {std::size_t{0}, std::size_t{1}, k - 1, k, k + 1, std::size_t{4096 * 37},
              std::size_t{1} << 20, (std::size_t{1} << 20) + 4097, (std::size_t{3} << 20) + 123}) {
            for (std::size_t piece : {std::size_t{7777}, std::size_t{256 * 1024}, size + 1}) {
                std::string data = pattern(size);
                auto path = folder / ("torvane-member-writer-" + std::to_string(::getpid()));
                writeFileIn(path, data, piece);
                EXPECT_TRUE(readFile(path) == data)
                    << folder << " size " << size << " in pieces of " << piece;
                std::filesystem::remove(path);
            }
        }
    }
}

// A device that takes the flag but refuses the writes gets the whole file, in order, through
// the cache, whether it refuses the first block or one part-way with bytes still held back.
TEST(MemberWriter, RefusedDirectWritesFallBackWithoutLosingOrReorderingBytes) {
    TempDir tmp;
    for (int after : {0, 1, 2}) {
        for (std::size_t size : {(std::size_t{1} << 20) + 5000, (std::size_t{3} << 20) + 123}) {
            for (std::size_t piece : {std::size_t{100'000}, size}) {
                WriteLimit limit;
                limit.refuseDirectAfter = after;
                std::string data = pattern(size);
                writeFileIn(tmp / "f", data, piece, &limit);
                EXPECT_TRUE(readFile(tmp / "f") == data)
                    << "refused after " << after << ", size " << size << ", pieces " << piece;
            }
        }
    }
}

TEST(MemberWriter, AFullDiskStopsTheFileWithItsReason) {
    TempDir tmp;
    for (std::size_t size : {std::size_t{5000}, std::size_t{3} << 20}) {
        WriteLimit limit;
        limit.failAfter = 100'000;
        try {
            writeFileIn(tmp / "f", pattern(size), 65536, &limit);
            EXPECT_LT(size, 100'000u) << "a file within the limit is written";
        } catch (const std::system_error& e) {
            EXPECT_EQ(e.code().value(), ENOSPC);
            EXPECT_LE(limit.written.load(), 100'000u);
        }
    }
}

}  // namespace
}  // namespace torvane::zip::test
