#pragma once

// Archives assembled field by field, independently of the engine's own writer, so that each
// hostile shape can be produced exactly.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace torvane::zip::test {

struct Member {
    std::string name;
    std::string data;          // uncompressed
    std::uint16_t method = 0;  // 0 stored, 8 deflate, 12 bzip2
    std::uint32_t mode = 0100644;
    std::uint16_t flags = 0;
    std::optional<std::uint32_t> crc = std::nullopt;
    std::optional<std::uint32_t> declaredSize = std::nullopt;
    // Written in a zip64 extra field of the central entry instead of declaredSize.
    std::optional<std::uint64_t> zip64Size = std::nullopt;
    std::string junk = {};          // bytes after the compressed data, inside its compressed size
    std::string centralExtra = {};  // further extra fields of the central entry
    std::string localExtra = {};    // the extra fields of the local header
    std::uint32_t dosTime = 0;      // DOS time in the low half, date in the high half
};

struct Built {
    std::string bytes;
    std::size_t cdOffset = 0;
    std::size_t endOffset = 0;
};

// extraCentral: more central entries pointing at the first member's local header.
Built build(const std::vector<Member>& members, int extraCentral = 0);
void patch(std::string& s, std::size_t at, std::uint64_t v, int bytes);
void le(std::string& s, std::uint64_t v, int bytes);  // appends v in `bytes` little-endian bytes

std::string rawDeflate(const std::string& in);
std::string bzip2(const std::string& in);
// n bytes of numbered lines that differ from seed to seed.
std::string lines(std::size_t n, unsigned seed);

}  // namespace torvane::zip::test
