#pragma once

// The archive as read back: volumes, central directory, member data. Nothing in an archive is
// trusted: every offset and length is checked against the bytes that are really there, the
// central directory is the authority on members, and members may not share bytes.

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "zip/ZipEngine.h"

namespace torvane::zip {

// Bytes of one volume.
class Volume {
  public:
    virtual ~Volume() = default;
    virtual std::uint64_t size() const = 0;
    // Reads exactly n bytes at offset; throws ZipError when they are not there.
    virtual void read(std::uint64_t offset, void* buffer, std::size_t n) const = 0;
};

// With `uncached`, the file's cached pages are dropped first, so that its bytes come from the disk.
std::unique_ptr<Volume> fileVolume(const std::filesystem::path& path, bool uncached = false);
std::unique_ptr<Volume> memoryVolume(std::string_view bytes);  // bytes must outlive the volume

// A million of these are held during a restore: fields are ordered so that none is padded.
struct Entry {
    MemberInfo info;
    std::uint64_t localStart = 0;  // of the local header, across the volumes
    // Where the next member, or the central directory, begins: the member's local header, data
    // and descriptor must all end by then.
    std::uint64_t limit = 0;
    std::uint32_t disk = 0;
    std::uint16_t flags = 0;
    bool symlink = false;
};

// A member that cannot be extracted; the archive as a whole may still be fine.
class MemberError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class Archive {
  public:
    // The volumes of the archive in disk order; the last holds the end records.
    Archive(std::vector<std::unique_ptr<Volume>> volumes, std::string label);

    // Opens NAME.zip, and NAME.z01... when the end records say it is the last of a split set;
    // a volume that is missing is asked for through nextDisk (1-based volume number).
    static Archive open(const std::filesystem::path& path, const std::function<bool(int)>& nextDisk,
                        bool uncached = false);

    const std::vector<Entry>& entries() const { return entries_; }
    std::size_t volumeCount() const { return volumes_.size(); }
    // Where the member's local header lies within its volume.
    std::uint64_t localOffset(const Entry& entry) const {
        return entry.localStart - starts_[entry.disk];
    }
    // Reads exactly n bytes at an offset across the volumes.
    void read(std::uint64_t offset, void* buffer, std::size_t n) const;
    // Where the member's data begins, as its local header says; MemberError when the header is
    // damaged or the data would run past the member's limit.
    std::uint64_t dataStart(const Entry& entry) const;

    // Streams the member's uncompressed bytes to sink, checking method, declared size and CRC.
    // Stops with MemberError("cancelled") once *abort turns true (checked every buffer).
    void extract(const Entry& entry, const std::function<void(const char*, std::size_t)>& sink,
                 const std::atomic<bool>* abort = nullptr,
                 std::atomic<std::uint64_t>* produced = nullptr) const;

  private:
    // The same from the local header's fixed part, already read.
    std::uint64_t dataStartFrom(const Entry& entry, const unsigned char* header) const;
    std::uint64_t globalOffset(std::uint32_t disk, std::uint64_t offset) const;
    void parse();
    [[noreturn]] void fail(const std::string& what) const;

    std::vector<std::unique_ptr<Volume>> volumes_;
    std::vector<std::uint64_t> starts_;  // offset of each volume across the set
    std::uint64_t total_ = 0;
    std::string label_;
    std::vector<Entry> entries_;
};

}  // namespace torvane::zip
