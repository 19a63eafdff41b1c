#include <gtest/gtest.h>
#include <zlib.h>

#include <functional>
#include <optional>

#include "TempDir.h"
#include "ZipTestSupport.h"
#include "zip/ZipEngine.h"

namespace torvane::zip::test {
namespace {

using torvane::test::readFile;
using torvane::test::TempDir;
using torvane::test::writeFile;

// Archives are assembled here field by field, independently of the engine's own writer, so that
// each hostile shape can be produced exactly.
struct Member {
    std::string name;
    std::string data;  // uncompressed
    std::uint16_t method = 0;
    std::uint32_t mode = 0100644;
    std::uint16_t flags = 0;
    std::optional<std::uint32_t> crc = std::nullopt;
    std::optional<std::uint32_t> declaredSize = std::nullopt;
};

void le(std::string& s, std::uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) s.push_back(static_cast<char>(v >> (8 * i)));
}

std::string rawDeflate(const std::string& in) {
    z_stream zs{};
    deflateInit2(&zs, 9, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&zs, in.size()), '\0');
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
    zs.avail_in = static_cast<uInt>(in.size());
    zs.next_out = reinterpret_cast<Bytef*>(out.data());
    zs.avail_out = static_cast<uInt>(out.size());
    deflate(&zs, Z_FINISH);
    out.resize(zs.total_out);
    deflateEnd(&zs);
    return out;
}

struct Built {
    std::string bytes;
    std::size_t cdOffset = 0;
    std::size_t endOffset = 0;
};

// extraCentral: more central entries pointing at the first member's local header.
Built build(const std::vector<Member>& members, int extraCentral = 0) {
    Built b;
    std::string cd;
    std::vector<std::uint32_t> offsets;
    for (const Member& m : members) {
        std::string payload = m.method == 8 ? rawDeflate(m.data) : m.data;
        std::uint32_t crc =
            m.crc
                ? *m.crc
                : static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(m.data.data()),
                                                   static_cast<uInt>(m.data.size())));
        std::uint32_t size =
            m.declaredSize ? *m.declaredSize : static_cast<std::uint32_t>(m.data.size());
        offsets.push_back(static_cast<std::uint32_t>(b.bytes.size()));
        std::string& s = b.bytes;
        le(s, 0x04034b50, 4);
        le(s, 20, 2);
        le(s, m.flags, 2);
        le(s, m.method, 2);
        le(s, 0, 4);
        le(s, crc, 4);
        le(s, payload.size(), 4);
        le(s, size, 4);
        le(s, m.name.size(), 2);
        le(s, 0, 2);
        s += m.name;
        s += payload;
        le(cd, 0x02014b50, 4);
        le(cd, 0x033f, 2);
        le(cd, 20, 2);
        le(cd, m.flags, 2);
        le(cd, m.method, 2);
        le(cd, 0, 4);
        le(cd, crc, 4);
        le(cd, payload.size(), 4);
        le(cd, size, 4);
        le(cd, m.name.size(), 2);
        le(cd, 0, 2);
        le(cd, 0, 2);
        le(cd, 0, 2);
        le(cd, 0, 2);
        le(cd, std::uint64_t{m.mode} << 16, 4);
        le(cd, offsets.back(), 4);
        cd += m.name;
    }
    for (int i = 0; i < extraCentral; ++i) {
        std::string copy = cd.substr(0, 46 + members[0].name.size());
        cd += copy;
    }
    std::size_t count = members.size() + static_cast<std::size_t>(extraCentral);
    b.cdOffset = b.bytes.size();
    b.bytes += cd;
    b.endOffset = b.bytes.size();
    std::string& s = b.bytes;
    le(s, 0x06054b50, 4);
    le(s, 0, 2);
    le(s, 0, 2);
    le(s, count, 2);
    le(s, count, 2);
    le(s, cd.size(), 4);
    le(s, b.cdOffset, 4);
    le(s, 0, 2);
    return b;
}

void patch(std::string& s, std::size_t at, std::uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) s[at + i] = static_cast<char>(v >> (8 * i));
}

enum class Expect { ArchiveRefused, RefusedUpFront, MemberRefused };

struct Case {
    const char* label;
    std::function<std::string(const std::filesystem::path& sandbox)> archive;
    Expect expect;
    const char* reasonPart;
    std::function<void(const std::filesystem::path& sandbox)> setup = {};
};

std::string one(const std::string& name) { return build({{name, "evil", 0}}).bytes; }

std::vector<Case> cases() {
    return {
        {"dot-dot", [](auto&) { return one("../evil.txt"); }, Expect::MemberRefused, ".."},
        {"nested dot-dot", [](auto&) { return one("a/b/../../../evil.txt"); },
         Expect::MemberRefused, ".."},
        {"backslash dot-dot", [](auto&) { return one("..\\evil.txt"); }, Expect::MemberRefused,
         ".."},
        {"mixed dot-dot", [](auto&) { return one("a\\..\\../evil.txt"); }, Expect::MemberRefused,
         ".."},
        {"trailing dot-dot", [](auto&) { return one("a/.."); }, Expect::MemberRefused, ".."},
        {"absolute", [](auto& sb) { return one((sb / "abs-evil.txt").string()); },
         Expect::MemberRefused, "absolute"},
        {"absolute backslash", [](auto&) { return one("\\evil.txt"); }, Expect::MemberRefused,
         "absolute"},
        {"drive letter", [](auto&) { return one("C:\\evil.txt"); }, Expect::MemberRefused,
         "drive letter"},
        {"drive relative", [](auto&) { return one("C:evil.txt"); }, Expect::MemberRefused,
         "drive letter"},
        {"symlink escape", [](auto&) { return one("link/evil.txt"); }, Expect::MemberRefused,
         "symbolic link",
         [](const std::filesystem::path& sb) {
             std::filesystem::create_directory_symlink(sb / "outside", sb / "dest" / "link");
         }},
        {"symlink entry",
         [](auto& sb) {
             return build({{"link", (sb / "outside").string(), 0, 0120777}}).bytes;
         },
         Expect::MemberRefused, "symbolic links are not created"},
        {"wrong crc",
         [](auto&) {
             return build({{"keep.txt", "new data", 8, 0100644, 0, 0x12345678}}).bytes;
         },
         Expect::MemberRefused, "CRC"},
        {"zip bomb",
         [](auto&) {
             return build({{"keep.txt", std::string(20'000'000, '\0'), 8, 0100644, 0, std::nullopt,
                            1000}})
                 .bytes;
         },
         Expect::MemberRefused, "larger than its declared size"},
        {"short data",
         [](auto&) {
             return build({{"keep.txt", "abc", 8, 0100644, 0, std::nullopt, 10}}).bytes;
         },
         Expect::MemberRefused, "shorter"},
        {"unsupported method",
         [](auto&) {
             Built b = build({{"lzma.bin", "xxxx", 0}});
             patch(b.bytes, 8, 14, 2);
             patch(b.bytes, b.cdOffset + 10, 14, 2);
             return b.bytes;
         },
         Expect::MemberRefused, "lzma.bin: compression LZMA is not supported"},
        {"encrypted",
         [](auto&) {
             return build({{"secret.txt", "xxxx", 0, 0100644, 1}}).bytes;
         },
         Expect::MemberRefused, "encrypted"},
        {"overlapping entries",
         [](auto&) {
             return build({{"a.txt", "aaaa", 0}}, 3).bytes;
         },
         Expect::ArchiveRefused, "overlap"},
        {"declared size beyond free space",
         [](auto&) {
             return build({{"huge.bin", "x", 0, 0100644, 0, std::nullopt, 0xFFFFFFF0u}}).bytes;
         },
         Expect::RefusedUpFront, "not enough space"},
        {"truncated central directory",
         [](auto&) {
             Built b = build({{"a.txt", "aaaa", 0}, {"b.txt", "bbbb", 0}});
             patch(b.bytes, b.endOffset + 12, b.endOffset - b.cdOffset + 40, 4);
             return b.bytes;
         },
         Expect::ArchiveRefused, "central directory"},
        {"entry count beyond directory",
         [](auto&) {
             Built b = build({{"a.txt", "aaaa", 0}});
             patch(b.bytes, b.endOffset + 8, 2, 2);
             patch(b.bytes, b.endOffset + 10, 2, 2);
             return b.bytes;
         },
         Expect::ArchiveRefused, "entry count"},
        {"absurd entry count",
         [](auto&) {
             Built b = build({{"a.txt", "aaaa", 0}});
             patch(b.bytes, b.endOffset + 10, 0xFFFF, 2);
             return b.bytes;
         },
         Expect::ArchiveRefused, "entry count"},
        {"directory offset past the end",
         [](auto&) {
             Built b = build({{"a.txt", "aaaa", 0}});
             patch(b.bytes, b.endOffset + 16, 0xFFFFFF00u, 4);
             return b.bytes;
         },
         Expect::ArchiveRefused, "past"},
        {"local header offset past the end",
         [](auto&) {
             Built b = build({{"a.txt", "aaaa", 0}});
             patch(b.bytes, b.cdOffset + 42, 0x7FFFFFFF, 4);
             return b.bytes;
         },
         Expect::ArchiveRefused, "past"},
        {"data length past the directory",
         [](auto&) {
             Built b = build({{"a.txt", "aaaa", 0}});
             patch(b.bytes, b.cdOffset + 20, 0x7FFFFFFF, 4);
             return b.bytes;
         },
         Expect::ArchiveRefused, "central directory"},
        {"damaged local header",
         [](auto&) {
             Built b = build({{"a.txt", "aaaa", 0}});
             b.bytes[0] = 'X';
             return b.bytes;
         },
         Expect::ArchiveRefused, "local header"},
        {"cut in half",
         [](auto&) {
             Built b = build({{"a.txt", std::string(5000, 'a'), 8}});
             return b.bytes.substr(0, b.bytes.size() / 2);
         },
         Expect::ArchiveRefused, "not a zip archive"},
        {"empty file", [](auto&) { return std::string(); }, Expect::ArchiveRefused,
         "not a zip archive"},
    };
}

TEST(Hostile, EveryShapeIsRefusedAndNothingLandsOutside) {
    for (const Case& c : cases()) {
        SCOPED_TRACE(c.label);
        TempDir tmp;
        const std::filesystem::path sb = tmp.path();
        std::filesystem::create_directories(sb / "outside");
        writeFile(sb / "dest" / "keep.txt", "untouched");
        if (c.setup) c.setup(sb);
        writeFile(sb / "archive.zip", c.archive(sb));

        NoEvents none;
        RestoreRequest r{sb / "archive.zip", sb / "dest", {}, {}, 0, {}};
        r.faults.freeSpace = [](const std::filesystem::path&) { return std::uint64_t{1} << 30; };
        Outcome o = extractArchive(r, none);
        EXPECT_EQ(o.status, Outcome::Status::Failed);
        std::string all = o.reason;
        for (const auto& s : o.skipped) all += "\n" + s;
        EXPECT_NE(all.find(c.reasonPart), std::string::npos) << all;
        if (c.expect == Expect::ArchiveRefused) {
            EXPECT_TRUE(o.skipped.empty());
            EXPECT_THROW(listArchive(sb / "archive.zip"), ZipError);
        } else if (c.expect == Expect::RefusedUpFront) {
            EXPECT_TRUE(o.skipped.empty());
            EXPECT_EQ(allEntries(sb / "dest"), std::vector<std::string>{"keep.txt"});
        } else {
            EXPECT_FALSE(o.skipped.empty());
        }
        EXPECT_EQ(readFile(sb / "dest" / "keep.txt"), "untouched");
        EXPECT_TRUE(allEntries(sb / "outside").empty());
        std::vector<std::string> top = allEntries(sb);
        for (const auto& e : top) {
            bool inside = e.rfind("dest", 0) == 0 || e == "outside" || e == "archive.zip";
            EXPECT_TRUE(inside) << "written outside the destination: " << e;
            EXPECT_EQ(e.find(".tvtmp"), std::string::npos) << e;
        }
    }
}

TEST(Hostile, ExistingSymlinkIsReplacedNotFollowed) {
    TempDir tmp;
    writeFile(tmp / "outside" / "target.txt", "precious");
    std::filesystem::create_directories(tmp / "dest");
    std::filesystem::create_symlink(tmp / "outside" / "target.txt", tmp / "dest" / "victim.txt");
    writeFile(tmp / "archive.zip", build({{"victim.txt", "from archive", 8}}).bytes);
    NoEvents none;
    RestoreRequest r{tmp / "archive.zip", tmp / "dest", {}, {}, 0, {}};
    ASSERT_EQ(extractArchive(r, none).status, Outcome::Status::Success);
    EXPECT_EQ(readFile(tmp / "outside" / "target.txt"), "precious");
    EXPECT_FALSE(std::filesystem::is_symlink(tmp / "dest" / "victim.txt"));
    EXPECT_EQ(readFile(tmp / "dest" / "victim.txt"), "from archive");
}

TEST(Hostile, GoodMembersBesideABadOneAreStillExtracted) {
    TempDir tmp;
    writeFile(
        tmp / "archive.zip",
        build({{"good.txt", "fine", 8}, {"../bad.txt", "no", 0}, {"sub/ok.txt", "ok", 0}}).bytes);
    NoEvents none;
    RestoreRequest r{tmp / "archive.zip", tmp / "dest", {}, {}, 0, {}};
    Outcome o = extractArchive(r, none);
    EXPECT_EQ(o.status, Outcome::Status::Failed);
    ASSERT_EQ(o.skipped.size(), 1u);
    EXPECT_EQ(readFile(tmp / "dest" / "good.txt"), "fine");
    EXPECT_EQ(readFile(tmp / "dest" / "sub" / "ok.txt"), "ok");
    EXPECT_FALSE(std::filesystem::exists(tmp / "bad.txt"));
}

}  // namespace
}  // namespace torvane::zip::test
