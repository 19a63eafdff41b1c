// A central directory of several MiB, read in pieces: entries that lie across the pieces' edges
// must be read, and refused, exactly as in a short one.

#include <gtest/gtest.h>

#include "HandBuiltArchive.h"
#include "zip/Reader.h"

namespace torvane::zip::test {
namespace {

constexpr std::time_t kBase = 1'600'000'000;

// Members whose central entries carry a long field of no known kind, then their exact time, so
// that an entry read short loses its time. Names and fields differ in length so that entries
// start at every sort of offset.
Built longDirectory(std::vector<std::size_t>& entryOffsets) {
    std::vector<Member> members;
    for (std::size_t i = 0; i < 120; ++i) {
        Member m;
        m.name = "folder" + std::to_string(i % 7) + "/" + std::string(1 + i * 37 % 300, 'n') +
                 std::to_string(i);
        m.data = "member " + std::to_string(i);
        le(m.centralExtra, 0x6666, 2);
        const std::size_t filler = 30'000 + i * 7919 % 35'000;
        le(m.centralExtra, filler, 2);
        m.centralExtra += std::string(filler, static_cast<char>('a' + i % 26));
        le(m.centralExtra, 0x5455, 2);
        le(m.centralExtra, 5, 2);
        le(m.centralExtra, 1, 1);
        le(m.centralExtra, static_cast<std::uint64_t>(kBase + static_cast<std::time_t>(i)), 4);
        members.push_back(std::move(m));
    }
    Built b = build(members);
    std::size_t at = b.cdOffset;
    for (const Member& m : members) {
        entryOffsets.push_back(at);
        at += 46 + m.name.size() + m.centralExtra.size();
    }
    return b;
}

std::unique_ptr<Archive> open(const std::string& bytes) {
    std::vector<std::unique_ptr<Volume>> volumes;
    volumes.push_back(memoryVolume(bytes));
    return std::make_unique<Archive>(std::move(volumes), "long.zip");
}

std::string refusal(const std::string& bytes) {
    try {
        open(bytes);
    } catch (const ZipError& e) {
        return e.what();
    }
    return "accepted";
}

TEST(LongDirectory, EveryEntryIsReadWhole) {
    std::vector<std::size_t> offsets;
    const Built b = longDirectory(offsets);
    ASSERT_GT(b.endOffset - b.cdOffset, std::size_t{5} << 20);
    auto archive = open(b.bytes);
    ASSERT_EQ(archive->entries().size(), offsets.size());
    for (std::size_t i = 0; i < offsets.size(); ++i) {
        const Entry& e = archive->entries()[i];
        EXPECT_EQ(e.info.name.substr(e.info.name.rfind('n') + 1), std::to_string(i));
        EXPECT_EQ(e.info.modified, kBase + static_cast<std::time_t>(i)) << e.info.name;
        std::string out;
        archive->extract(e, [&](const char* d, std::size_t n) { out.append(d, n); });
        EXPECT_EQ(out, "member " + std::to_string(i));
    }
}

// Each entry damaged in turn, wherever it lies, is found and named.
TEST(LongDirectory, DamageAnywhereIsFoundAndNamed) {
    std::vector<std::size_t> offsets;
    Built b = longDirectory(offsets);
    for (std::size_t i = 0; i < offsets.size(); ++i) {
        b.bytes[offsets[i]] = 'X';
        EXPECT_EQ(refusal(b.bytes), "long.zip: central directory entry " + std::to_string(i + 1) +
                                        " is damaged or truncated");
        b.bytes[offsets[i]] = 'P';
    }

    // The last entry claims one byte beyond the directory.
    const std::size_t extraLength = offsets.back() + 30;
    const auto length = static_cast<std::uint8_t>(b.bytes[extraLength]) |
                        static_cast<std::uint8_t>(b.bytes[extraLength + 1]) << 8;
    patch(b.bytes, extraLength, length + 1, 2);
    EXPECT_EQ(refusal(b.bytes), "long.zip: central directory entry " +
                                    std::to_string(offsets.size()) + " is truncated");
    patch(b.bytes, extraLength, length, 2);

    // An entry count one short leaves the last entry unread.
    patch(b.bytes, b.endOffset + 8, offsets.size() - 1, 2);
    patch(b.bytes, b.endOffset + 10, offsets.size() - 1, 2);
    EXPECT_EQ(refusal(b.bytes), "long.zip: the central directory holds " +
                                    std::to_string(b.endOffset - offsets.back()) +
                                    " bytes more than its " + std::to_string(offsets.size() - 1) +
                                    " entries; the entry count or the directory size is wrong");
}

}  // namespace
}  // namespace torvane::zip::test
