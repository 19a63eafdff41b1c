#include "zip/MemberWriter.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <system_error>
#include <utility>

namespace torvane::zip {
namespace {

// Direct writes need memory, offsets and lengths aligned to the device's block; 4 KiB covers
// the devices in use, and a refusal falls back to the cache.
constexpr std::size_t kAlign = 4096;
constexpr std::size_t kBlock = 1 << 20;

struct FreeBlock {
    void operator()(char* p) const { std::free(p); }
};

// One block per worker thread, reused for every file it writes.
char* threadBlock() {
    thread_local std::unique_ptr<char, FreeBlock> block(
        static_cast<char*>(std::aligned_alloc(kAlign, kBlock)));
    return block.get();
}

}  // namespace

MemberWriter::MemberWriter(int fd, std::uint64_t declaredSize, WriteLimit* limit)
    : fd_(fd), limit_(limit) {
    if (declaredSize < kDirectFrom) return;
    block_ = threadBlock();
    int flags = ::fcntl(fd_, F_GETFL);
    direct_ = block_ != nullptr && flags >= 0 && ::fcntl(fd_, F_SETFL, flags | O_DIRECT) == 0;
}

void MemberWriter::stopDirect() {
    int flags = ::fcntl(fd_, F_GETFL);
    if (flags >= 0) ::fcntl(fd_, F_SETFL, flags & ~O_DIRECT);
    direct_ = false;
}

void MemberWriter::write(const char* data, std::size_t n) {
    if (!direct_) {
        // Bytes held for a direct write that was then refused go first.
        if (held_ > 0) put(block_, std::exchange(held_, 0));
        put(data, n);
        return;
    }
    while (n > 0) {
        std::size_t take = std::min(n, kBlock - held_);
        std::memcpy(block_ + held_, data, take);
        held_ += take;
        data += take;
        n -= take;
        if (held_ == kBlock) {
            put(block_, kBlock);
            held_ = 0;
        }
    }
}

void MemberWriter::finish() {
    if (held_ == 0) return;
    std::size_t aligned = direct_ ? held_ & ~(kAlign - 1) : 0;
    if (aligned > 0) put(block_, aligned);
    // The tail is shorter than a block, which only the cache accepts.
    if (direct_) stopDirect();
    put(block_ + aligned, held_ - aligned);
    held_ = 0;
}

void MemberWriter::put(const char* data, std::size_t n) {
    while (n > 0) {
        std::size_t chunk = n;
        if (limit_ && limit_->failAfter) {
            std::uint64_t before = limit_->written.load();
            if (before >= *limit_->failAfter)
                throw std::system_error(ENOSPC, std::generic_category(), "cannot write");
            chunk = static_cast<std::size_t>(
                std::min<std::uint64_t>(chunk, *limit_->failAfter - before));
        }
        ssize_t w;
        if (direct_ && limit_ && limit_->refuseDirectAfter &&
            directWrites_ >= *limit_->refuseDirectAfter) {
            w = -1;
            errno = EINVAL;
        } else {
            w = ::write(fd_, data, chunk);
            directWrites_ += direct_ ? 1 : 0;
        }
        if (w < 0 && errno == EINTR) continue;
        // A file system or device that refuses this direct write gets it through the cache.
        if (w < 0 && errno == EINVAL && direct_) {
            stopDirect();
            continue;
        }
        if (w < 0) throw std::system_error(errno, std::generic_category(), "cannot write");
        if (limit_) limit_->written += static_cast<std::uint64_t>(w);
        data += w;
        n -= static_cast<std::size_t>(w);
    }
}

}  // namespace torvane::zip
