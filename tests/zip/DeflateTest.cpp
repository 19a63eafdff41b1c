#include <gtest/gtest.h>
#include <zlib.h>

#include <random>

#include "zip/Deflate.h"

namespace {

using torvane::zip::deflateBlock;

std::string inflateRaw(const std::string& in, std::size_t expected) {
    z_stream zs{};
    inflateInit2(&zs, -15);
    std::string out(expected + 16, '\0');
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
    zs.avail_in = static_cast<uInt>(in.size());
    zs.next_out = reinterpret_cast<Bytef*>(out.data());
    zs.avail_out = static_cast<uInt>(out.size());
    int rc = inflate(&zs, Z_FINISH);
    EXPECT_EQ(rc, Z_STREAM_END);
    EXPECT_EQ(zs.avail_in, 0u) << "the stream ends where the last block ends";
    out.resize(zs.total_out);
    inflateEnd(&zs);
    return out;
}

// Blocks of every kind libdeflate emits (stored for noise, fixed and dynamic Huffman, one block
// or several per piece, streams ending on a byte boundary or not) must join into one stream.
TEST(DeflateBlocks, JoinIntoOneStreamThatInflatesToTheInput) {
    std::mt19937 gen(11);
    auto noise = [&](std::size_t n) {
        std::string s(n, '\0');
        for (auto& c : s) c = static_cast<char>(gen());
        return s;
    };
    auto words = [&](std::size_t n) {
        std::string s;
        while (s.size() < n) s += "word" + std::to_string(gen() % 5000) + (gen() % 9 ? " " : "\n");
        s.resize(n);
        return s;
    };
    for (int trial = 0; trial < 60; ++trial) {
        SCOPED_TRACE(trial);
        int pieces = 1 + trial % 5;
        std::string plain, joined;
        for (int p = 0; p < pieces; ++p) {
            std::size_t size = 1 + gen() % (trial < 30 ? 300 : 400'000);
            std::string piece =
                (gen() % 3 == 0) ? noise(size) : (gen() % 2 ? words(size) : std::string(size, 'z'));
            std::string out;
            deflateBlock(piece, p == pieces - 1, 1 + trial % 9, out);
            plain += piece;
            joined += out;
        }
        ASSERT_TRUE(inflateRaw(joined, plain.size()) == plain);
    }
}

}  // namespace
