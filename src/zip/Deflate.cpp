#include "zip/Deflate.h"

#include <libdeflate.h>
#include <zlib.h>

#include <memory>
#include <stdexcept>

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

struct ZStream {
    z_stream zs{};
    int level = -1;
    ~ZStream() {
        if (level >= 0) deflateEnd(&zs);
    }
    z_stream* get(int wanted) {
        if (level == wanted) {
            deflateReset(&zs);
            return &zs;
        }
        if (level >= 0) deflateEnd(&zs);
        zs = z_stream{};
        if (deflateInit2(&zs, wanted, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
            throw std::bad_alloc();
        level = wanted;
        return &zs;
    }
};

thread_local CompressorCache tlCompressor;
thread_local ZStream tlStream;

}  // namespace

std::uint32_t crc32Of(std::string_view data, std::uint32_t crc) {
    return libdeflate_crc32(crc, data.data(), data.size());
}

std::uint32_t crc32Combine(std::uint32_t first, std::uint32_t second, std::uint64_t secondLength) {
    return static_cast<std::uint32_t>(
        crc32_combine64(first, second, static_cast<z_off64_t>(secondLength)));
}

bool deflateWhole(std::string_view input, int level, std::string& out) {
    if (input.empty()) return false;
    libdeflate_compressor* c = tlCompressor.get(level);
    // Anything that does not fit below the input size is not worth keeping.
    out.resize(input.size() - 1);
    std::size_t n = libdeflate_deflate_compress(c, input.data(), input.size(), out.data(), out.size());
    out.resize(n);
    return n > 0;
}

void deflateBlock(std::string_view dictionary, std::string_view input, bool last, int level,
                  std::string& out) {
    z_stream* zs = tlStream.get(level);
    if (!dictionary.empty()) {
        deflateSetDictionary(zs, reinterpret_cast<const Bytef*>(dictionary.data()),
                             static_cast<uInt>(dictionary.size()));
    }
    out.resize(deflateBound(zs, static_cast<uLong>(input.size())) + 16);
    zs->next_in = reinterpret_cast<Bytef*>(const_cast<char*>(input.data()));
    zs->avail_in = static_cast<uInt>(input.size());
    zs->next_out = reinterpret_cast<Bytef*>(out.data());
    zs->avail_out = static_cast<uInt>(out.size());
    int rc = deflate(zs, last ? Z_FINISH : Z_SYNC_FLUSH);
    if (rc == Z_STREAM_ERROR || zs->avail_in != 0) throw std::runtime_error("deflate failed");
    out.resize(out.size() - zs->avail_out);
}

}  // namespace torvane::zip
