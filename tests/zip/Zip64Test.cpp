#include <gtest/gtest.h>

#include <cstring>

#include "zip/Deflate.h"
#include "zip/Format.h"
#include "zip/Reader.h"

namespace torvane::zip {
namespace {

// A volume of `size` bytes that are zero except for the bytes placed at `at`, so that records
// beyond 4 GiB can be read without writing gigabytes anywhere.
class SparseVolume : public Volume {
  public:
    SparseVolume(std::uint64_t size, std::uint64_t at, std::string bytes)
        : size_(size), at_(at), bytes_(std::move(bytes)) {}
    std::uint64_t size() const override { return size_; }
    void read(std::uint64_t offset, void* buffer, std::size_t n) const override {
        if (offset > size_ || n > size_ - offset) throw ZipError("read past the end");
        auto* out = static_cast<char*>(buffer);
        std::memset(out, 0, n);
        std::uint64_t from = std::max(offset, at_), to = std::min(offset + n, at_ + bytes_.size());
        if (from < to) std::memcpy(out + (from - offset), bytes_.data() + (from - at_), to - from);
    }

  private:
    std::uint64_t size_, at_;
    std::string bytes_;
};

// The records the writer emits for a member that starts past 4 GiB: its offset goes to the zip64
// field, and the central directory past 4 GiB needs the zip64 end record and locator.
TEST(Zip64, RecordsPastFourGiBReadBack) {
    const std::uint64_t at = (std::uint64_t{5} << 30) + 7;
    const std::string content = "member beyond the 32-bit offsets";
    format::EntryRecord e;
    e.name = "far/away.txt";
    e.method = format::kMethodStored;
    e.crc = crc32Of(content);
    e.size = e.compressedSize = content.size();
    e.mtime = 1'234'567'890;
    e.mode = 0100640;
    e.localOffset = at;

    std::string bytes = format::localHeader(e) + content;
    std::string central = format::centralHeader(e);
    EXPECT_EQ(central.substr(42, 4), std::string(4, '\xff'))
        << "offset deferred to the zip64 field";
    format::EndRecord end;
    end.entries = end.entriesOnLastDisk = 1;
    end.cdOffset = at + bytes.size();
    end.cdSize = central.size();
    end.zip64EndOffset = end.cdOffset + central.size();
    ASSERT_TRUE(format::needsZip64End(end));
    bytes += central + format::endRecords(end);

    std::vector<std::unique_ptr<Volume>> volumes;
    volumes.push_back(std::make_unique<SparseVolume>(at + bytes.size(), at, bytes));
    Archive archive(std::move(volumes), "sparse");
    ASSERT_EQ(archive.entries().size(), 1u);
    const Entry& read = archive.entries()[0];
    EXPECT_EQ(read.info.name, "far/away.txt");
    EXPECT_EQ(archive.localOffset(read), at);
    EXPECT_EQ(read.info.mode, 0100640u);
    EXPECT_EQ(read.info.modified, 1'234'567'890);
    std::string out;
    archive.extract(read, [&](const char* d, std::size_t n) { out.append(d, n); });
    EXPECT_EQ(out, content);
}

}  // namespace
}  // namespace torvane::zip
