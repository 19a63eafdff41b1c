#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace torvane::zip {

// CRC-32 of the zip format (the same polynomial as zlib's), and the CRC of two joined pieces.
std::uint32_t crc32Of(std::string_view data, std::uint32_t crc = 0);
std::uint32_t crc32Combine(std::uint32_t first, std::uint32_t second, std::uint64_t secondLength);

// A whole member as one raw deflate stream. libdeflate: faster than zlib at a better ratio when
// the input is all in memory. Returns false when the result would not be smaller than the input.
bool deflateWhole(std::string_view input, int level, std::string& out);

// A quick look at the start of some data: false when a fast deflate of a sample does not shrink
// it, so that media and other compressed files are stored without paying for a full deflate.
bool looksCompressible(std::string_view data);

// One block of a member too large to compress at once, so that blocks compress in parallel.
// Each block is compressed on its own by libdeflate; every block but the last is then turned
// into the middle of a stream (its final-block bit cleared, an empty stored block appended to
// reach a byte boundary), so that the blocks joined in order form a single deflate stream.
void deflateBlock(std::string_view input, bool last, int level, std::string& out);

}  // namespace torvane::zip
