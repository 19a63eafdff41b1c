#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>
#include <map>

#include "HandBuiltArchive.h"
#include "TempDir.h"
#include "ZipTestSupport.h"
#include "zip/ZipEngine.h"

namespace torvane::zip::test {
namespace {

using torvane::test::readFile;
using torvane::test::TempDir;
using torvane::test::writeFile;

enum class Expect { ArchiveRefused, RefusedUpFront, MemberRefused, Restored };

using Tree = std::map<std::string, std::string>;

struct Case {
    const char* label;
    std::function<std::string(const std::filesystem::path& sandbox)> archive;
    Expect expect;
    const char* reasonPart;
    std::function<void(const std::filesystem::path& sandbox)> setup = {};
    // What the destination holds afterwards besides the file that was there before: content of
    // each file, "" for each folder (named with a trailing "/"). Unchecked when empty.
    Tree tree = {};
    // Run with 1, 2 and 8 workers, several times each: the result may not depend on timing.
    bool racy = false;
    std::function<void(RestoreRequest&)> adjust = {};
    std::function<void(const std::filesystem::path& dest)> verify = {};
};

std::string one(const std::string& name) { return build({{name, "evil", 0}}).bytes; }

const std::string kBig = lines(6u << 20, 1);
const std::string kHuge = lines(9u << 20, 2);
constexpr std::uint64_t kWrapBy16 = ~std::uint64_t{0} - 15;

Tree treeOf(const std::filesystem::path& root) {
    Tree t;
    for (const auto& e : std::filesystem::recursive_directory_iterator(root)) {
        std::string rel = e.path().lexically_relative(root).generic_string();
        if (rel == "keep.txt") continue;
        if (e.is_directory() && !e.is_symlink())
            t[rel + "/"] = "";
        else
            t[rel] = readFile(e.path());
    }
    return t;
}

bool hasControlBytes(const std::string& s) {
    for (unsigned char c : s)
        if (c < 0x20 || c == 0x7F) return true;
    return false;
}

unsigned modeOf(const std::filesystem::path& p) {
    struct stat st {};
    ::stat(p.c_str(), &st);
    return st.st_mode & 07777;
}

// The central directory of a two-member archive, with its end record claiming only one entry.
std::string countShort() {
    Built b = build({{"a.txt", "aaaa", 0}, {"b.txt", "bbbb", 0}});
    patch(b.bytes, b.endOffset + 8, 1, 2);
    patch(b.bytes, b.endOffset + 10, 1, 2);
    return b.bytes;
}

std::string junkInDirectory() {
    Built b = build({{"a.txt", "aaaa", 0}});
    b.bytes.insert(b.endOffset, std::string(200, 'J'));
    patch(b.bytes, b.endOffset + 200 + 12, b.endOffset - b.cdOffset + 200, 4);
    return b.bytes;
}

// An end record that lists nothing while members are there; `atEnd` also moves the directory to
// where an empty one would start.
std::string emptyDirectory(bool atEnd) {
    Built b = build({{"a.txt", "aaaa", 0}, {"b.txt", "bbbb", 0}});
    patch(b.bytes, b.endOffset + 8, 0, 2);
    patch(b.bytes, b.endOffset + 10, 0, 2);
    patch(b.bytes, b.endOffset + 12, 0, 4);
    if (atEnd) patch(b.bytes, b.endOffset + 16, b.endOffset, 4);
    return b.bytes;
}

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
        // A colon names no drive here: such names are ordinary files inside the destination.
        {"colon in a name", [](auto&) { return one("a:b.txt"); }, Expect::Restored, "",
         {}, {{"a:b.txt", "evil"}}},
        {"drive-like folder", [](auto&) { return one("C:\\evil.txt"); }, Expect::Restored, "",
         {}, {{"C:/", ""}, {"C:/evil.txt", "evil"}}},
        {"drive-relative name", [](auto&) { return one("C:evil.txt"); }, Expect::Restored, "",
         {}, {{"C:evil.txt", "evil"}}},
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
        // A local header is the member's own: when it is wrong, the other members still come.
        {"damaged local header",
         [](auto&) {
             Built b = build({{"a.txt", "aaaa", 0}, {"b.txt", "bbbb", 8}});
             b.bytes[0] = 'X';
             return b.bytes;
         },
         Expect::MemberRefused, "a.txt: local header missing", {}, {{"b.txt", "bbbb"}}},
        {"local extra field reaching into the next member",
         [](auto&) {
             Built b = build({{"a.txt", "aaaa", 0}, {"b.txt", "bbbb", 0}});
             patch(b.bytes, 28, 8, 2);
             return b.bytes;
         },
         Expect::MemberRefused, "a.txt: its local header and data run into the next member",
         {}, {{"b.txt", "bbbb"}}},
        {"local extra field reaching into the directory",
         [](auto&) {
             Built b = build({{"a.txt", kBig, 8}});
             patch(b.bytes, 28, 0xFFFF, 2);
             return b.bytes;
         },
         Expect::MemberRefused, "a.txt: its local header and data run into"},
        {"local extra fields longer than the central ones",
         [](auto&) {
             std::string extra;
             le(extra, 0xCAFE, 2);
             le(extra, 996, 2);
             extra += std::string(996, 'x');
             Member stored{"s.txt", "stored", 0};
             stored.localExtra = extra;
             Member deflated{"d.txt", kBig, 8};
             deflated.localExtra = extra;
             return build({stored, deflated, {"e.txt", "", 0}}).bytes;
         },
         Expect::Restored, "", {}, {{"s.txt", "stored"}, {"d.txt", kBig}, {"e.txt", ""}}},
        {"cut in half",
         [](auto&) {
             Built b = build({{"a.txt", std::string(5000, 'a'), 8}});
             return b.bytes.substr(0, b.bytes.size() / 2);
         },
         Expect::ArchiveRefused, "not a zip archive"},
        {"empty file", [](auto&) { return std::string(); }, Expect::ArchiveRefused,
         "not a zip archive"},

        // Declared sizes that wrap the free-space check round to a small number.
        {"sizes wrap past 2^64 (bzip2)",
         [](auto&) {
             return build({{"huge.bin", std::string(1 << 20, '\0'), 12, 0100644, 0, std::nullopt,
                            std::nullopt, kWrapBy16},
                           {"small.bin", std::string(17, 's'), 0}})
                 .bytes;
         },
         Expect::RefusedUpFront, "declared sizes add up"},
        {"two sizes of 2^63 (deflate)",
         [](auto&) {
             Member m{"a.bin", std::string(1 << 20, '\0'), 8};
             m.zip64Size = std::uint64_t{1} << 63;
             Member n = m;
             n.name = "b.bin";
             return build({m, n}).bytes;
         },
         Expect::RefusedUpFront, "declared sizes add up"},
        {"bzip2 bomb",
         [](auto&) {
             return build({{"keep.txt", std::string(3'000'000, '\0'), 12, 0100644, 0,
                            std::nullopt, 1000}})
                 .bytes;
         },
         Expect::MemberRefused, "larger than its declared size"},
        {"bomb past the one-piece inflate limit",
         [](auto&) {
             return build({{"keep.txt", kHuge, 8, 0100644, 0, std::nullopt, (8u << 20) + 1}})
                 .bytes;
         },
         Expect::MemberRefused, "larger than its declared size"},
        {"large deflated member", [](auto&) { return build({{"big.txt", kHuge, 8}}).bytes; },
         Expect::Restored, "", {}, {{"big.txt", kHuge}}},

        // The same name twice: the later member wins whichever worker finishes last.
        {"same name, large first",
         [](auto&) { return build({{"dup.txt", kBig, 0}, {"dup.txt", "second", 0}}).bytes; },
         Expect::Restored, "", {}, {{"dup.txt", "second"}}, true},
        {"same name, large last",
         [](auto&) { return build({{"dup.txt", "first", 0}, {"dup.txt", kBig, 0}}).bytes; },
         Expect::Restored, "", {}, {{"dup.txt", kBig}}, true},
        {"same name spelt two ways",
         [](auto&) { return build({{"d/dup.txt", kBig, 0}, {"./d//dup.txt", "second", 8}}).bytes; },
         Expect::Restored, "", {}, {{"d/", ""}, {"d/dup.txt", "second"}}, true},

        // A file and a folder of one name: the earlier entry stands, the later is reported.
        {"file then folder",
         [](auto&) { return build({{"x", kBig, 0}, {"x/", "", 0, 040755}}).bytes; },
         Expect::MemberRefused, "x/: refused: a file of the same name comes earlier", {},
         {{"x", kBig}}, true},
        {"folder then file",
         [](auto&) { return build({{"x/", "", 0, 040755}, {"x", "late", 0}}).bytes; },
         Expect::MemberRefused, "x: refused: a folder of the same name comes earlier", {},
         {{"x/", ""}}, true},
        {"file then a file inside it",
         [](auto&) { return build({{"d", kBig, 0}, {"d/f.txt", "inner", 0}}).bytes; },
         Expect::MemberRefused, "d/f.txt: refused: d is a file earlier in the archive", {},
         {{"d", kBig}}, true},
        {"a file inside then the folder as a file",
         [](auto&) { return build({{"d/f.txt", kBig, 0}, {"d", "late", 0}}).bytes; },
         Expect::MemberRefused, "d: refused: a folder of the same name comes earlier", {},
         {{"d/", ""}, {"d/f.txt", kBig}}, true},

        // A central directory that does not add up.
        {"end record counts fewer entries", [](auto&) { return countShort(); },
         Expect::ArchiveRefused, "entry count or the directory size is wrong"},
        {"junk inside the directory", [](auto&) { return junkInDirectory(); },
         Expect::ArchiveRefused, "200 bytes more than its 1 entries"},
        {"empty directory over members", [](auto&) { return emptyDirectory(true); },
         Expect::ArchiveRefused, "lists no members"},
        {"empty directory before the end records", [](auto&) { return emptyDirectory(false); },
         Expect::ArchiveRefused, "before the end records"},

        // Compressed data must end exactly where its size says.
        {"junk after a deflate stream",
         [](auto&) {
             Member m{"keep.txt", "hello", 8};
             m.junk = std::string(64, 'J');
             return build({m}).bytes;
         },
         Expect::MemberRefused, "junk follows it"},
        {"junk after a large deflate stream",
         [](auto&) {
             Member m{"keep.txt", kHuge, 8};
             m.junk = std::string(64, 'J');
             return build({m}).bytes;
         },
         Expect::MemberRefused, "junk follows it"},
        {"junk after a bzip2 stream",
         [](auto&) {
             Member m{"keep.txt", "hello", 12};
             m.junk = std::string(64, 'J');
             return build({m}).bytes;
         },
         Expect::MemberRefused, "junk follows it"},

        // Folder entries: never with data, never left closed to their owner.
        {"folder entry with data",
         [](auto&) { return build({{"d/", std::string(100, 'd'), 0, 0100644}}).bytes; },
         Expect::MemberRefused, "d/: refused: a folder entry that carries data"},
        {"root entry with data", [](auto&) { return build({{"./", "data", 0}}).bytes; },
         Expect::MemberRefused, "./: refused: a folder entry that carries data"},
        {"folders closed to their owner",
         [](auto&) {
             return build({{"d/", "", 0, 0100644}, {"r/", "", 0, 040500}, {"r/f.txt", "in", 0}})
                 .bytes;
         },
         Expect::Restored, "", {}, {{"d/", ""}, {"r/", ""}, {"r/f.txt", "in"}}, false, {},
         [](const std::filesystem::path& dest) {
             EXPECT_EQ(modeOf(dest / "d"), 0744u);
             EXPECT_EQ(modeOf(dest / "r"), 0700u);
         }},

        // Control characters: a NUL names nothing; the others are names, shown escaped.
        {"NUL in a name", [](auto&) { return one(std::string("a\0b.txt", 7)); },
         Expect::MemberRefused, "a\u2400b.txt: refused: name contains a NUL character"},
        {"newline in a refused name", [](auto&) { return one("../line\nx.txt"); },
         Expect::MemberRefused, "../line\u240Ax.txt: refused"},
        {"control characters in names",
         [](auto&) {
             return build({{"nl\nname.txt", "n", 0}, {"esc\x1b[2J.txt", "e", 0},
                           {"cr\rname.txt", "c", 8}, {"tab\tdir/f.txt", "t", 0}})
                 .bytes;
         },
         Expect::Restored, "", {},
         {{"nl\nname.txt", "n"}, {"esc\x1b[2J.txt", "e"}, {"cr\rname.txt", "c"},
          {"tab\tdir/", ""}, {"tab\tdir/f.txt", "t"}}},

        // Threads: a count beyond reason is capped; one that cannot start is a failure.
        {"absurd worker count", [](auto&) { return one("a.txt"); }, Expect::Restored, "", {},
         {{"a.txt", "evil"}}, false, [](RestoreRequest& r) { r.threads = 100000; }},
        {"no worker can start", [](auto&) { return one("a.txt"); }, Expect::RefusedUpFront,
         "cannot start a restore worker: Resource temporarily unavailable", {}, {}, false,
         [](RestoreRequest& r) {
             r.threads = 4;
             r.faults.failThreadStartAfter = 0;
         }},
        {"some workers cannot start",
         [](auto&) { return build({{"a.txt", kBig, 0}, {"b.txt", "b", 0}}).bytes; },
         Expect::Restored, "", {}, {{"a.txt", kBig}, {"b.txt", "b"}}, false,
         [](RestoreRequest& r) {
             r.threads = 8;
             r.faults.failThreadStartAfter = 2;
         }},
    };
}

void runCase(const Case& c, int threads) {
    TempDir tmp;
    const std::filesystem::path sb = tmp.path();
    std::filesystem::create_directories(sb / "outside");
    writeFile(sb / "dest" / "keep.txt", "untouched");
    if (c.setup) c.setup(sb);
    writeFile(sb / "archive.zip", c.archive(sb));

    Recorder events;
    RestoreRequest r{sb / "archive.zip", sb / "dest", {}, {}, threads, {}};
    r.faults.freeSpace = [](const std::filesystem::path&) { return std::uint64_t{1} << 30; };
    if (c.adjust) c.adjust(r);
    Outcome o = extractArchive(r, events);
    std::string all = o.reason;
    for (const auto& s : o.skipped) all += "\n" + s;
    if (c.expect == Expect::Restored) {
        EXPECT_EQ(o.status, Outcome::Status::Success) << all;
    } else {
        EXPECT_EQ(o.status, Outcome::Status::Failed);
        EXPECT_NE(all.find(c.reasonPart), std::string::npos) << all;
    }
    // Nothing a name holds can break a message or a line of a list apart.
    EXPECT_FALSE(hasControlBytes(o.reason)) << o.reason;
    for (const auto& s : o.skipped) EXPECT_FALSE(hasControlBytes(s)) << s;
    for (const auto& item : events.items()) EXPECT_FALSE(hasControlBytes(item)) << item;

    if (c.expect == Expect::ArchiveRefused) {
        EXPECT_TRUE(o.skipped.empty());
        EXPECT_THROW(listArchive(sb / "archive.zip"), ZipError);
    } else if (c.expect == Expect::RefusedUpFront) {
        EXPECT_TRUE(o.skipped.empty());
        EXPECT_EQ(allEntries(sb / "dest"), std::vector<std::string>{"keep.txt"});
    } else if (c.expect == Expect::MemberRefused) {
        EXPECT_EQ(o.skipped.size(), 1u) << all;
    }
    if (!c.tree.empty()) {
        EXPECT_TRUE(treeOf(sb / "dest") == c.tree);
    }
    if (c.verify) c.verify(sb / "dest");
    EXPECT_EQ(readFile(sb / "dest" / "keep.txt"), "untouched");
    EXPECT_TRUE(allEntries(sb / "outside").empty());
    std::vector<std::string> top = allEntries(sb);
    for (const auto& e : top) {
        bool inside = e.rfind("dest", 0) == 0 || e == "outside" || e == "archive.zip";
        EXPECT_TRUE(inside) << "written outside the destination: " << e;
        EXPECT_EQ(e.find(".tvtmp"), std::string::npos) << e;
    }
}

TEST(Hostile, EveryShapeIsRefusedOrPlacedAndNothingLandsOutside) {
    for (const Case& c : cases()) {
        SCOPED_TRACE(c.label);
        if (!c.racy) {
            runCase(c, 0);
            continue;
        }
        for (int threads : {1, 2, 8}) {
            SCOPED_TRACE("workers: " + std::to_string(threads));
            for (int round = 0; round < 3; ++round) runCase(c, threads);
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
