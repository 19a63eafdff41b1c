#pragma once

// Writes the bytes of one extracted member to its file. Files of some size are written past the
// page cache in aligned blocks: a restore of many gigabytes then neither fills memory with dirty
// pages nor pushes out what the user had cached, and on most disks writing through is faster
// than filling the cache first. Small files, the tail of a large one, and file systems that do
// not take direct writes go through the cache as usual.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace torvane::zip {

// Test seams shared by the files of one run.
struct WriteLimit {
    std::optional<std::uint64_t> failAfter;  // the disk is "full" after this many bytes
    std::atomic<std::uint64_t> written{0};
    // Each file's direct writes are refused after this many, as by a device with larger blocks.
    std::optional<int> refuseDirectAfter;
};

class MemberWriter {
  public:
    // `limit` may be null. Throws std::system_error on any failure to write.
    MemberWriter(int fd, std::uint64_t declaredSize, WriteLimit* limit);
    MemberWriter(const MemberWriter&) = delete;
    MemberWriter& operator=(const MemberWriter&) = delete;

    void write(const char* data, std::size_t n);
    void finish();  // writes what is still held back; call once, after the last write

    static constexpr std::uint64_t kDirectFrom = 64 * 1024;

  private:
    void put(const char* data, std::size_t n);
    void stopDirect();

    int fd_;
    WriteLimit* limit_;
    bool direct_ = false;
    int directWrites_ = 0;
    char* block_ = nullptr;
    std::size_t held_ = 0;
};

}  // namespace torvane::zip
