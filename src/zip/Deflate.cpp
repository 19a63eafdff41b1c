#include "zip/Deflate.h"

#include <libdeflate.h>
#include <zlib.h>

#include <memory>
#include <stdexcept>
#include <vector>

namespace torvane::zip {
namespace {

struct CompressorCache {
    libdeflate_compressor* compressor = nullptr;
    int level = -1;
    ~CompressorCache() {
        if (compressor) libdeflate_free_compressor(compressor);
    }
    libdeflate_compressor* get(int wanted) {
        if (compressor && level == wanted) return compressor;
        if (compressor) libdeflate_free_compressor(compressor);
        compressor = libdeflate_alloc_compressor(wanted);
        if (!compressor) throw std::bad_alloc();
        level = wanted;
        return compressor;
    }
};

thread_local CompressorCache tlCompressor;

}  // namespace

std::uint32_t crc32Of(std::string_view data, std::uint32_t crc) {
    return libdeflate_crc32(crc, data.data(), data.size());
}

std::uint32_t crc32Combine(std::uint32_t first, std::uint32_t second, std::uint64_t secondLength) {
    return static_cast<std::uint32_t>(
        crc32_combine64(first, second, static_cast<z_off64_t>(secondLength)));
}

bool looksCompressible(std::string_view data) {
    constexpr std::size_t kSample = 32 * 1024;
    if (data.size() < 2 * kSample) return true;
    thread_local CompressorCache fast;
    thread_local std::string out;
    out.resize(kSample);
    std::size_t n =
        libdeflate_deflate_compress(fast.get(1), data.data(), kSample, out.data(), out.size());
    // Less than 2 % saved on the sample: the whole file would gain nothing worth the time.
    return n != 0 && n < kSample - kSample / 50;
}

bool deflateWhole(std::string_view input, int level, std::string& out) {
    if (input.empty()) return false;
    libdeflate_compressor* c = tlCompressor.get(level);
    // Anything that does not fit below the input size is not worth keeping. The result is
    // copied out of a per-thread buffer so that queued results hold only their own bytes.
    thread_local std::string scratch;
    scratch.resize(input.size() - 1);
    std::size_t n =
        libdeflate_deflate_compress(c, input.data(), input.size(), scratch.data(), scratch.size());
    out.assign(scratch, 0, n);
    return n > 0;
}

namespace {

// Where the last block of a complete raw deflate stream starts and where it ends, in bits,
// found by letting zlib stop at every block boundary (it reports the unused bits of the byte
// it stopped in, and whether the block just ended was the final one).
struct LastBlock {
    std::size_t start = 0;
    std::size_t end = 0;
};

LastBlock lastBlockOf(const std::string& stream, std::size_t plainSize) {
    thread_local std::string scratch;
    scratch.resize(plainSize + 1);
    z_stream zs{};
    if (inflateInit2(&zs, -15) != Z_OK) throw std::bad_alloc();
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(stream.data()));
    zs.avail_in = static_cast<uInt>(stream.size());
    zs.next_out = reinterpret_cast<Bytef*>(scratch.data());
    zs.avail_out = static_cast<uInt>(scratch.size());
    LastBlock last;
    for (;;) {
        int rc = inflate(&zs, Z_BLOCK);
        if (rc != Z_OK) break;
        if (zs.data_type & 128) {
            std::size_t bit = zs.total_in * 8 - static_cast<std::size_t>(zs.data_type & 7);
            if (zs.data_type & 64) {
                last.end = bit;
                break;
            }
            last.start = bit;
        }
    }
    inflateEnd(&zs);
    if (last.end == 0 || zs.total_out != plainSize)
        throw std::runtime_error("deflate produced a stream that does not inflate");
    return last;
}

}  // namespace

void deflateBlock(std::string_view input, bool last, int level, std::string& out) {
    libdeflate_compressor* c = tlCompressor.get(level);
    thread_local std::string scratch;
    scratch.resize(libdeflate_deflate_compress_bound(c, input.size()) + 8);
    std::size_t n =
        libdeflate_deflate_compress(c, input.data(), input.size(), scratch.data(), scratch.size());
    if (n == 0) throw std::runtime_error("deflate failed");
    out.reserve(n + 5);
    out.assign(scratch, 0, n);
    if (last) return;
    LastBlock block = lastBlockOf(out, input.size());
    out[block.start / 8] = static_cast<char>(static_cast<unsigned char>(out[block.start / 8]) &
                                             ~(1u << (block.start % 8)));
    std::size_t paddingBits = out.size() * 8 - block.end;
    // An empty stored block: three zero header bits (in the padding when it has room), then
    // LEN 0 and NLEN 0xFFFF from the next byte boundary.
    if (paddingBits < 3) out.push_back('\0');
    out.append("\x00\x00\xff\xff", 4);
}

}  // namespace torvane::zip
