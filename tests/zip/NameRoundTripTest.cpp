#include <gtest/gtest.h>

#include <algorithm>

#include "TempDir.h"
#include "ZipTestSupport.h"
#include "zip/ZipEngine.h"

namespace torvane::zip::test {
namespace {

using torvane::test::TempDir;
using torvane::test::writeFile;

// Names this host allows that another system would read differently: a colon (a drive there),
// and control characters, which are written as they are and only ever shown escaped.
TEST(NameRoundTrip, UnusualLegalNamesComeBackByteForByte) {
    TempDir tmp;
    const std::vector<std::string> names = {"a:b.txt", "tab\tname.txt", "new\nline.txt",
                                            "sub\x1b[2J/cr\rname.txt"};
    for (std::size_t i = 0; i < names.size(); ++i)
        writeFile(tmp / "src" / names[i],
                  "content " + std::to_string(i) + std::string(i * 5000, 'x'));
    NoEvents none;
    Outcome backup = createArchive(backupOf(tmp / "src", tmp / "set.zip"), none);
    ASSERT_EQ(backup.status, Outcome::Status::Success) << backup.reason;

    std::vector<std::string> listed;
    for (const MemberInfo& m : listArchive(tmp / "set.zip")) listed.push_back(m.name);
    std::vector<std::string> expected = names;
    std::sort(listed.begin(), listed.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(listed, expected);

    Recorder events;
    Outcome restore = extractArchive({tmp / "set.zip", tmp / "dst", {}, {}, 0, {}}, events);
    ASSERT_EQ(restore.status, Outcome::Status::Success) << restore.reason;
    auto before = snapshot(tmp / "src");
    auto after = snapshot(tmp / "dst");
    ASSERT_EQ(before.size(), after.size());
    for (const auto& [name, facts] : before) {
        ASSERT_TRUE(after.count(name)) << name;
        EXPECT_TRUE(after[name].content == facts.content) << name;
    }
    for (const std::string& item : events.items())
        EXPECT_TRUE(std::none_of(item.begin(), item.end(), [](char c) {
            return static_cast<unsigned char>(c) < 0x20;
        })) << item;
}

TEST(NameRoundTrip, AnArchivePathIsShownEscapedInItsRefusal) {
    TempDir tmp;
    const std::filesystem::path odd = tmp / "odd\nname.zip";
    writeFile(odd, "not an archive at all, but long enough to be searched for end records");
    try {
        listArchive(odd);
        ADD_FAILURE() << "accepted";
    } catch (const ZipError& e) {
        const std::string what = e.what();
        EXPECT_NE(what.find("odd\u240Aname.zip: not a zip archive"), std::string::npos) << what;
    }
    NoEvents none;
    Outcome o = extractArchive({odd, tmp / "out\rdir", {}, {}, 0, {}}, none);
    EXPECT_NE(o.reason.find("odd\u240Aname.zip: not a zip archive"), std::string::npos) << o.reason;
}

}  // namespace
}  // namespace torvane::zip::test
