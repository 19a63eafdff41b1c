#pragma once

// Zip records as bytes: building and parsing, with no I/O. Field layouts follow the published
// zip format; every value read from an archive goes through the bounds-checked LeReader.

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

namespace torvane::zip::format {

constexpr std::uint32_t kLocalSig = 0x04034b50;
constexpr std::uint32_t kCentralSig = 0x02014b50;
constexpr std::uint32_t kEndSig = 0x06054b50;
constexpr std::uint32_t kZip64EndSig = 0x06064b50;
constexpr std::uint32_t kZip64LocatorSig = 0x07064b50;
constexpr std::uint32_t kDescriptorSig = 0x08074b50;  // also the split-archive marker
constexpr std::uint16_t kZip64Extra = 0x0001;
constexpr std::uint16_t kTimeExtra = 0x5455;
constexpr std::uint16_t kNtfsExtra = 0x000a;
constexpr std::uint16_t kMethodStored = 0;
constexpr std::uint16_t kMethodDeflate = 8;
constexpr std::uint16_t kMethodBzip2 = 12;
constexpr std::uint16_t kFlagDescriptor = 1u << 3;
constexpr std::uint16_t kFlagUtf8 = 1u << 11;
constexpr std::uint32_t kMax32 = 0xFFFFFFFFu;
constexpr std::uint16_t kMax16 = 0xFFFFu;
constexpr std::size_t kLocalFixed = 30;
constexpr std::size_t kCentralFixed = 46;
constexpr std::size_t kEndFixed = 22;
constexpr std::size_t kZip64EndFixed = 56;
constexpr std::size_t kZip64LocatorSize = 20;

class LeWriter {
  public:
    explicit LeWriter(std::string& out) : out_(out) {}
    void u8(std::uint8_t v) { out_.push_back(static_cast<char>(v)); }
    void u16(std::uint16_t v) {
        for (int i = 0; i < 2; ++i) u8(static_cast<std::uint8_t>(v >> (8 * i)));
    }
    void u32(std::uint32_t v) {
        for (int i = 0; i < 4; ++i) u8(static_cast<std::uint8_t>(v >> (8 * i)));
    }
    void u64(std::uint64_t v) {
        for (int i = 0; i < 8; ++i) u8(static_cast<std::uint8_t>(v >> (8 * i)));
    }
    void bytes(std::string_view s) { out_.append(s); }

  private:
    std::string& out_;
};

// Reads little-endian fields from a byte range; any read past the end sets failed() and yields
// zeros, so a parser checks once after a record instead of before every field.
class LeReader {
  public:
    LeReader(const unsigned char* data, std::size_t size) : data_(data), size_(size) {}
    std::uint8_t u8();
    std::uint16_t u16();
    std::uint32_t u32();
    std::uint64_t u64();
    std::string_view bytes(std::size_t n);
    void skip(std::size_t n);
    std::size_t remaining() const { return failed_ ? 0 : size_ - pos_; }
    std::size_t position() const { return pos_; }
    bool failed() const { return failed_; }

  private:
    bool take(std::size_t n);
    const unsigned char* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
    bool failed_ = false;
};

struct DosTime {
    std::uint16_t time = 0;
    std::uint16_t date = 0;
};
// Local time, clamped to the 1980..2107 range the format can hold.
DosTime toDosTime(std::time_t t);
std::time_t fromDosTime(std::uint16_t time, std::uint16_t date);

// What the writer knows about a member when it writes its records.
struct EntryRecord {
    std::string name;
    std::uint16_t method = kMethodDeflate;
    std::uint16_t flags = kFlagUtf8;
    std::uint32_t crc = 0;
    std::uint64_t compressedSize = 0;
    std::uint64_t size = 0;
    std::time_t mtime = 0;
    std::uint32_t mode = 0100644;
    std::uint32_t disk = 0;
    std::uint64_t localOffset = 0;  // within its disk
    bool localZip64 = false;        // local header carries a zip64 extra (sizes may pass 4 GiB)
};

std::string localHeader(const EntryRecord& e);
std::string dataDescriptor(const EntryRecord& e);
std::string centralHeader(const EntryRecord& e);

struct EndRecord {
    std::uint64_t entries = 0;
    std::uint64_t entriesOnLastDisk = 0;
    std::uint64_t cdSize = 0;
    std::uint64_t cdOffset = 0;  // within cdDisk
    std::uint32_t cdDisk = 0;
    std::uint32_t lastDisk = 0;
    std::uint64_t zip64EndOffset = 0;  // within lastDisk, where the zip64 end record goes
};
bool needsZip64End(const EndRecord& e);
// The zip64 end record and locator when needed, then the classic end record.
std::string endRecords(const EndRecord& e);

}  // namespace torvane::zip::format
