#include <gtest/gtest.h>

#include "HandBuiltArchive.h"
#include "TempDir.h"
#include "ZipTestSupport.h"
#include "zip/ZipEngine.h"

namespace torvane::zip::test {
namespace {

using torvane::test::TempDir;
using torvane::test::writeFile;

// An NTFS extra field with only its modification time, as Windows tools write it.
std::string ntfsTime(long long unixSeconds) {
    std::string x;
    le(x, 0x000a, 2);
    le(x, 32, 2);
    le(x, 0, 4);
    le(x, 1, 2);
    le(x, 24, 2);
    const auto ticks = static_cast<std::uint64_t>(unixSeconds + 11'644'473'600LL) * 10'000'000u;
    le(x, ticks, 8);
    le(x, ticks, 8);
    le(x, ticks, 8);
    return x;
}

// 2001-09-09 03:46:40 as a DOS time: an hour off what any zone gives the times below, as a
// Windows tool writes a summer time in winter.
constexpr std::uint32_t kDosTime =
    (((2001u - 1980) << 9 | 9 << 5 | 9) << 16) | (3 << 11 | 46 << 5 | 20);

TEST(ForeignTime, TheExactTimeOfAnNtfsFieldWinsOverTheDosTime) {
    TempDir tmp;
    for (long long exact : {1'000'000'000LL, 1'000'000'000LL - 7200, 1'000'000'000LL + 3600}) {
        SCOPED_TRACE(exact);
        Member file{"f.txt", "data", 8};
        file.centralExtra = ntfsTime(exact);
        file.dosTime = kDosTime;
        Member folder{"d/", "", 0, 040755};
        folder.centralExtra = ntfsTime(exact - 100);
        folder.dosTime = kDosTime;
        writeFile(tmp / "a.zip", build({file, {"d/g.txt", "g", 0}, folder}).bytes);

        std::vector<MemberInfo> listed = listArchive(tmp / "a.zip");
        ASSERT_EQ(listed.size(), 3u);
        EXPECT_EQ(listed[0].modified, exact);
        NoEvents none;
        Outcome o = extractArchive({tmp / "a.zip", tmp / "out", {}, {}, 0, {}}, none);
        ASSERT_EQ(o.status, Outcome::Status::Success) << o.reason;
        EXPECT_EQ(snapshot(tmp / "out")["f.txt"].mtime, exact);
        auto folderTime = std::filesystem::last_write_time(tmp / "out" / "d");
        auto fileTime = std::filesystem::last_write_time(tmp / "out" / "f.txt");
        EXPECT_EQ(fileTime - folderTime, std::chrono::seconds(100));
    }
}

}  // namespace
}  // namespace torvane::zip::test
