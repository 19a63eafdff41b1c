#include "zip/Reader.h"

#include <bzlib.h>
#include <fcntl.h>
#include <libdeflate.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>

#include "platform/PrintableText.h"
#include "zip/ArchiveOutput.h"
#include "zip/Deflate.h"
#include "zip/Format.h"

namespace torvane::zip {
namespace {

using namespace format;

class FileVolume : public Volume {
  public:
    FileVolume(int fd, std::uint64_t size, std::string name)
        : fd_(fd), size_(size), name_(std::move(name)) {}
    ~FileVolume() override { ::close(fd_); }
    std::uint64_t size() const override { return size_; }
    void read(std::uint64_t offset, void* buffer, std::size_t n) const override {
        if (offset > size_ || n > size_ - offset)
            throw ZipError(name_ + ": read past the end of the file");
        auto* out = static_cast<char*>(buffer);
        while (n > 0) {
            ssize_t got = ::pread(fd_, out, n, static_cast<off_t>(offset));
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) throw ZipError(name_ + ": " + std::strerror(errno));
            if (got == 0) throw ZipError(name_ + ": the file became shorter while it was read");
            out += got;
            offset += static_cast<std::uint64_t>(got);
            n -= static_cast<std::size_t>(got);
        }
    }

  private:
    int fd_;
    std::uint64_t size_;
    std::string name_;
};

class MemoryVolume : public Volume {
  public:
    explicit MemoryVolume(std::string_view bytes) : bytes_(bytes) {}
    std::uint64_t size() const override { return bytes_.size(); }
    void read(std::uint64_t offset, void* buffer, std::size_t n) const override {
        if (offset > bytes_.size() || n > bytes_.size() - offset)
            throw ZipError("read past the end of the archive");
        std::memcpy(buffer, bytes_.data() + offset, n);
    }

  private:
    std::string_view bytes_;
};

bool addOverflows(std::uint64_t a, std::uint64_t b, std::uint64_t& sum) {
    return __builtin_add_overflow(a, b, &sum);
}

std::string methodName(std::uint16_t m) {
    switch (m) {
        case 1:
            return "shrink";
        case 6:
            return "implode";
        case 9:
            return "deflate64";
        case 14:
            return "LZMA";
        case 93:
            return "zstd";
        case 95:
            return "xz";
        case 98:
            return "PPMd";
        case 99:
            return "AES encryption";
        default:
            return "method " + std::to_string(m);
    }
}

// The modification time of an NTFS extra field: 100 ns ticks since 1601 in its first attribute
// of tag 1.
std::optional<std::time_t> ntfsModified(LeReader& f) {
    constexpr std::uint64_t kTicks = 10'000'000;
    constexpr std::uint64_t kFrom1601 = 11'644'473'600;
    f.u32();
    while (f.remaining() >= 4) {
        std::uint16_t tag = f.u16();
        std::uint16_t size = f.u16();
        if (tag == 1 && size >= 8) {
            std::uint64_t ticks = f.u64();
            if (f.failed() || ticks / kTicks < kFrom1601) return std::nullopt;
            return static_cast<std::time_t>(ticks / kTicks - kFrom1601);
        }
        f.skip(size);
    }
    return std::nullopt;
}

constexpr std::size_t kChunk = 256 * 1024;
constexpr const char* kTrailing =
    "the compressed data ends before its declared size (junk follows it)";
// Members up to this size are inflated in one call into a buffer of their declared size.
constexpr std::uint64_t kWholeLimit = 8u << 20;

}  // namespace

std::unique_ptr<Volume> fileVolume(const std::filesystem::path& path, bool uncached) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    const std::string shown = platform::printable(path.string());
    if (fd < 0) throw ZipError("cannot open " + shown + ": " + std::strerror(errno));
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        throw ZipError(shown + " is not a regular file");
    }
    // Only clean pages can be dropped; the data is synced first.
    const int error = !uncached              ? 0
                      : ::fdatasync(fd) != 0 ? errno
                                             : ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    if (error != 0) {
        ::close(fd);
        throw ZipError("cannot read " + shown + " from the disk: " + std::strerror(error));
    }
    return std::make_unique<FileVolume>(fd, static_cast<std::uint64_t>(st.st_size), shown);
}

std::unique_ptr<Volume> memoryVolume(std::string_view bytes) {
    return std::make_unique<MemoryVolume>(bytes);
}

Archive::Archive(std::vector<std::unique_ptr<Volume>> volumes, std::string label)
    : volumes_(std::move(volumes)), label_(platform::printable(label)) {
    if (volumes_.empty()) fail("no volumes");
    for (const auto& v : volumes_) {
        starts_.push_back(total_);
        total_ += v->size();
    }
    parse();
}

void Archive::fail(const std::string& what) const { throw ZipError(label_ + ": " + what); }

std::uint64_t Archive::globalOffset(std::uint32_t disk, std::uint64_t offset) const {
    if (disk >= volumes_.size())
        fail("a record points at disk " + std::to_string(disk + 1) + " of " +
             std::to_string(volumes_.size()));
    std::uint64_t g = 0;
    if (offset > volumes_[disk]->size() || addOverflows(starts_[disk], offset, g))
        fail("an offset points past the end of its volume");
    return g;
}

void Archive::read(std::uint64_t offset, void* buffer, std::size_t n) const {
    if (offset > total_ || n > total_ - offset) fail("a record points past the end of the archive");
    auto* out = static_cast<char*>(buffer);
    auto it = std::upper_bound(starts_.begin(), starts_.end(), offset);
    std::size_t v = static_cast<std::size_t>(it - starts_.begin()) - 1;
    while (n > 0) {
        std::uint64_t local = offset - starts_[v];
        std::uint64_t avail = volumes_[v]->size() - local;
        std::size_t take = static_cast<std::size_t>(std::min<std::uint64_t>(n, avail));
        if (take > 0) volumes_[v]->read(local, out, take);
        out += take;
        offset += take;
        n -= take;
        ++v;
    }
}

namespace {

// Where the end records of the last volume are and what they say about the set.
struct EndInfo {
    std::uint64_t endOffset = 0;  // classic end record, within the last volume
    std::uint64_t thisDisk = 0, cdDisk = 0, count = 0, cdSize = 0, cdOffset = 0;
    bool zip64 = false;
    std::uint32_t zip64Disk = 0;
    std::uint64_t zip64Offset = 0;
};

EndInfo locateEnd(const Volume& last, const std::string& label) {
    std::size_t tail =
        static_cast<std::size_t>(std::min<std::uint64_t>(last.size(), kEndFixed + 65535));
    if (tail < kEndFixed) throw ZipError(label + ": not a zip archive (too short)");
    std::string buf(tail, '\0');
    last.read(last.size() - tail, buf.data(), tail);
    const auto* b = reinterpret_cast<const unsigned char*>(buf.data());
    std::size_t endPos = SIZE_MAX;
    for (std::size_t i = tail - kEndFixed + 1; i-- > 0;) {
        if (b[i] == 'P' && b[i + 1] == 'K' && b[i + 2] == 5 && b[i + 3] == 6) {
            std::size_t comment = b[i + 20] | (b[i + 21] << 8);
            if (i + kEndFixed + comment <= tail) {
                endPos = i;
                break;
            }
        }
    }
    if (endPos == SIZE_MAX)
        throw ZipError(label + ": not a zip archive (no end of central directory record)");
    EndInfo info;
    info.endOffset = last.size() - tail + endPos;
    LeReader end(b + endPos + 4, kEndFixed - 4);
    info.thisDisk = end.u16();
    info.cdDisk = end.u16();
    end.u16();
    info.count = end.u16();
    info.cdSize = end.u32();
    info.cdOffset = end.u32();
    if (endPos >= kZip64LocatorSize) {
        LeReader loc(b + endPos - kZip64LocatorSize, kZip64LocatorSize);
        if (loc.u32() == kZip64LocatorSig) {
            info.zip64 = true;
            info.zip64Disk = loc.u32();
            info.zip64Offset = loc.u64();
            std::uint32_t totalDisks = loc.u32();
            if (totalDisks > 0) info.thisDisk = totalDisks - 1;
        }
    }
    return info;
}

// The central directory read a few MiB at a time: a million members' directory is some 90 MiB
// that would otherwise sit in memory beside the entries made from it.
class DirectoryWindow {
  public:
    DirectoryWindow(const Archive& archive, std::uint64_t start, std::uint64_t size)
        : archive_(archive),
          start_(start),
          size_(size),
          bytes_(static_cast<std::size_t>(std::min<std::uint64_t>(size, kWindow)), '\0') {}

    // The directory from `pos` (which only grows) to the end of the window: a whole entry, or
    // all that is left of the directory, so that each entry is checked as if the whole
    // directory were in memory.
    LeReader from(std::uint64_t pos) {
        std::uint64_t end = from_ + filled_;
        if (end < size_ && end - pos < kLongestEntry) {
            from_ = pos;
            filled_ = static_cast<std::size_t>(std::min<std::uint64_t>(size_ - pos, kWindow));
            archive_.read(start_ + pos, bytes_.data(), filled_);
            end = from_ + filled_;
        }
        return LeReader(reinterpret_cast<const unsigned char*>(bytes_.data()) + (pos - from_),
                        static_cast<std::size_t>(end - pos));
    }

  private:
    static constexpr std::size_t kLongestEntry = kCentralFixed + 3 * 65535;
    static constexpr std::size_t kWindow = 2u << 20;
    static_assert(kWindow >= 2 * kLongestEntry);

    const Archive& archive_;
    std::uint64_t start_, size_;
    std::string bytes_;
    std::uint64_t from_ = 0;  // within the directory
    std::size_t filled_ = 0;
};

}  // namespace

void Archive::parse() {
    EndInfo info = locateEnd(*volumes_.back(), label_);
    std::uint64_t thisDisk = info.thisDisk, cdDisk = info.cdDisk, count = info.count;
    std::uint64_t cdSize = info.cdSize, cdOffset = info.cdOffset;
    std::uint64_t endGlobal = starts_.back() + info.endOffset;
    if (info.zip64) {
        unsigned char rec[kZip64EndFixed];
        endGlobal = globalOffset(info.zip64Disk, info.zip64Offset);
        read(endGlobal, rec, sizeof rec);
        LeReader z(rec, sizeof rec);
        if (z.u32() != kZip64EndSig) fail("the zip64 end record is missing");
        z.u64();
        z.u16();
        z.u16();
        thisDisk = z.u32();
        cdDisk = z.u32();
        z.u64();
        count = z.u64();
        cdSize = z.u64();
        cdOffset = z.u64();
    }
    if (thisDisk + 1 != volumes_.size()) {
        fail("the archive has " + std::to_string(thisDisk + 1) + " volumes, " +
             std::to_string(volumes_.size()) + " found");
    }
    if (cdDisk > thisDisk) fail("the central directory points at a missing volume");
    std::uint64_t cdStart = globalOffset(static_cast<std::uint32_t>(cdDisk), cdOffset);
    std::uint64_t cdEnd = 0;
    if (addOverflows(cdStart, cdSize, cdEnd) || cdEnd > endGlobal)
        fail("the central directory runs past the end records");
    // Every writer puts the end records right after the directory; a gap means the end record's
    // size or position is wrong, and entries could hide in it.
    if (cdEnd != endGlobal)
        fail("the central directory ends " + std::to_string(endGlobal - cdEnd) +
             " bytes before the end records; its size or position is wrong");
    if (count == 0 && cdStart != 0)
        fail("the end record lists no members, yet the archive holds data before its directory");
    if (count > cdSize / kCentralFixed)
        fail("the entry count (" + std::to_string(count) + ") does not fit the central directory");

    // Member indices are kept in 32 bits; the directory of more members would take 180 GiB.
    if (count > UINT32_MAX)
        fail("the archive lists " + std::to_string(count) + " members, more than can be read");

    DirectoryWindow window(*this, cdStart, cdSize);
    std::uint64_t pos = 0;
    entries_.reserve(static_cast<std::size_t>(count));
    for (std::uint64_t i = 0; i < count; ++i) {
        LeReader r = window.from(pos);
        if (r.u32() != kCentralSig)
            fail("central directory entry " + std::to_string(i + 1) + " is damaged or truncated");
        Entry e;
        std::uint16_t madeBy = r.u16();
        r.u16();
        e.flags = r.u16();
        e.info.method = r.u16();
        std::uint16_t dosTime = r.u16();
        std::uint16_t dosDate = r.u16();
        e.info.crc32 = r.u32();
        e.info.compressedSize = r.u32();
        e.info.size = r.u32();
        std::uint16_t nameLen = r.u16();
        std::uint16_t extraLen = r.u16();
        std::uint16_t commentLen = r.u16();
        e.disk = r.u16();
        r.u16();
        std::uint32_t external = r.u32();
        std::uint64_t localOffset = r.u32();
        e.info.name = std::string(r.bytes(nameLen));
        std::string_view extra = r.bytes(extraLen);
        r.skip(commentLen);
        if (r.failed()) fail("central directory entry " + std::to_string(i + 1) + " is truncated");
        pos += r.position();
        bool unixTime = false;
        LeReader x(reinterpret_cast<const unsigned char*>(extra.data()), extra.size());
        while (x.remaining() >= 4) {
            std::uint16_t id = x.u16();
            std::uint16_t len = x.u16();
            std::string_view body = x.bytes(len);
            if (x.failed()) break;
            LeReader f(reinterpret_cast<const unsigned char*>(body.data()), body.size());
            if (id == kZip64Extra) {
                if (e.info.size == kMax32) e.info.size = f.u64();
                if (e.info.compressedSize == kMax32) e.info.compressedSize = f.u64();
                if (localOffset == kMax32) localOffset = f.u64();
                if (e.disk == kMax16) e.disk = f.u32();
                if (f.failed()) fail(platform::printable(e.info.name) + ": damaged zip64 field");
            } else if (id == kTimeExtra && len >= 5) {
                if (f.u8() & 1) {
                    e.info.modified = static_cast<std::int32_t>(f.u32());
                    unixTime = !f.failed();
                }
            } else if (id == kNtfsExtra && !unixTime) {
                // Windows tools keep the local time of the day the archive was written in the
                // DOS field, an hour off for a time of the other half of the year; the exact
                // time is here.
                if (auto t = ntfsModified(f)) {
                    e.info.modified = *t;
                    unixTime = true;
                }
            }
        }
        // The local-time conversion consults the time zone file on every call; most archives
        // carry the exact time and need none.
        if (!unixTime) e.info.modified = fromDosTime(dosTime, dosDate);
        const std::string shown = platform::printable(e.info.name);
        if ((madeBy >> 8) == 3) e.info.mode = external >> 16;
        std::uint32_t type = e.info.mode & 0170000;
        e.symlink = type == 0120000;
        e.info.isDirectory = type == 0040000 || (external & 0x10) != 0 ||
                             (!e.info.name.empty() && e.info.name.back() == '/');

        // The local header is read when the member is: reading a million of them here, one
        // at a time, would hold up the whole restore. Its fixed part and the data are the
        // least the member takes; each member's real end is checked against the next one's
        // start when it is read.
        std::uint64_t local = globalOffset(e.disk, localOffset);
        std::uint64_t dataEnd = 0;
        if (addOverflows(local + kLocalFixed, e.info.compressedSize, dataEnd) || dataEnd > cdStart)
            fail(shown + ": member data runs past the start of the central directory");
        e.localStart = local;
        entries_.push_back(std::move(e));
    }
    if (pos != cdSize)
        fail("the central directory holds " + std::to_string(cdSize - pos) +
             " bytes more than its " + std::to_string(count) +
             " entries; the entry count or the directory size is wrong");

    // Members in the order of their bytes; most archives list them so already.
    std::vector<std::uint32_t> order(entries_.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = static_cast<std::uint32_t>(i);
    auto before = [&](std::uint32_t a, std::uint32_t b) {
        return entries_[a].localStart < entries_[b].localStart ||
               (entries_[a].localStart == entries_[b].localStart && a < b);
    };
    if (!std::is_sorted(order.begin(), order.end(), before))
        std::sort(order.begin(), order.end(), before);
    for (std::size_t k = 0; k < order.size(); ++k) {
        Entry& e = entries_[order[k]];
        if (k > 0) {
            const Entry& prev = entries_[order[k - 1]];
            if (e.localStart < prev.localStart + kLocalFixed + prev.info.compressedSize)
                fail("members " + platform::printable(prev.info.name) + " and " +
                     platform::printable(e.info.name) + " overlap");
        }
        e.limit = k + 1 < order.size() ? entries_[order[k + 1]].localStart : cdStart;
    }
}

std::uint64_t Archive::dataStartFrom(const Entry& entry, const unsigned char* header) const {
    auto memberFail = [&](const std::string& why) {
        throw MemberError(platform::printable(entry.info.name) + ": " + why);
    };
    LeReader l(header, kLocalFixed);
    if (l.u32() != kLocalSig) memberFail("local header missing");
    l.skip(22);
    std::uint64_t start = entry.localStart + kLocalFixed + l.u16();
    start += l.u16();
    if (start > entry.limit || entry.info.compressedSize > entry.limit - start)
        memberFail("its local header and data run into the next member or the central directory");
    return start;
}

std::uint64_t Archive::dataStart(const Entry& entry) const {
    unsigned char header[kLocalFixed];
    read(entry.localStart, header, sizeof header);
    return dataStartFrom(entry, header);
}

Archive Archive::open(const std::filesystem::path& path, const std::function<bool(int)>& nextDisk,
                      bool uncached) {
    std::unique_ptr<Volume> last = fileVolume(path, uncached);
    const std::string shown = platform::printable(path.string());
    std::uint64_t lastDisk = locateEnd(*last, shown).thisDisk;
    std::vector<std::unique_ptr<Volume>> set;
    for (std::uint32_t d = 0; d < lastDisk; ++d) {
        std::filesystem::path p = volumePath(path, d, static_cast<std::uint32_t>(lastDisk));
        for (;;) {
            std::error_code ec;
            if (std::filesystem::is_regular_file(p, ec)) break;
            if (!nextDisk || !nextDisk(static_cast<int>(d) + 1))
                throw ZipError(shown + ": volume " + platform::printable(p.filename().string()) +
                               " is missing");
        }
        set.push_back(fileVolume(p, uncached));
    }
    set.push_back(std::move(last));
    return Archive(std::move(set), path.string());
}

void Archive::extract(const Entry& entry, const std::function<void(const char*, std::size_t)>& sink,
                      const std::atomic<bool>* abort, std::atomic<std::uint64_t>* produced) const {
    const MemberInfo& m = entry.info;
    auto memberFail = [&](const std::string& why) {
        throw MemberError(platform::printable(m.name) + ": " + why);
    };
    if (entry.flags & 1) memberFail("encrypted members are not supported");
    if (m.method != kMethodStored && m.method != kMethodDeflate && m.method != kMethodBzip2)
        memberFail("compression " + methodName(m.method) + " is not supported");
    if (m.method == kMethodStored && m.compressedSize != m.size)
        memberFail("stored sizes disagree");

    std::uint32_t crc = 0;
    std::uint64_t out = 0;
    auto emit = [&](const char* data, std::size_t n) {
        if (n > m.size - out) memberFail("data is larger than its declared size");
        crc = crc32Of(std::string_view(data, n), crc);
        out += n;
        sink(data, n);
        if (produced) produced->store(out, std::memory_order_relaxed);
    };
    auto check = [&] {
        if (abort && abort->load(std::memory_order_relaxed)) memberFail("cancelled");
    };

    if (m.method != kMethodBzip2 && m.size <= kWholeLimit && m.compressedSize <= kWholeLimit) {
        // A small member is read with its local header in one go. Its bytes end where the next
        // member begins, so reading up to its limit reads no more than it may hold; a local
        // extra field longer than the guess costs a second read.
        constexpr std::uint64_t kExtraGuess = 64;
        const std::uint64_t room = entry.limit - entry.localStart;
        const std::uint64_t wanted = kLocalFixed + m.name.size() + kExtraGuess + m.compressedSize;
        std::size_t got = static_cast<std::size_t>(std::min(room, wanted));
        // Kept per thread: fresh buffers for every member cost a page fault per page touched.
        thread_local std::string in, plain;
        if (in.size() < got) in.resize(got);
        read(entry.localStart, in.data(), got);
        const std::uint64_t start = dataStartFrom(entry, reinterpret_cast<unsigned char*>(in.data()));
        const std::size_t skip = static_cast<std::size_t>(start - entry.localStart);
        const std::size_t need = skip + static_cast<std::size_t>(m.compressedSize);
        if (need > got) {
            if (in.size() < need) in.resize(need);
            read(entry.localStart + got, in.data() + got, need - got);
        }
        const char* data = in.data() + skip;
        if (m.method == kMethodStored) {
            emit(data, static_cast<std::size_t>(m.compressedSize));
        } else {
            if (plain.size() < m.size) plain.resize(static_cast<std::size_t>(m.size));
            thread_local std::unique_ptr<libdeflate_decompressor,
                                         void (*)(libdeflate_decompressor*)>
                d(libdeflate_alloc_decompressor(), &libdeflate_free_decompressor);
            std::size_t consumed = 0;
            std::size_t actual = 0;
            auto rc = libdeflate_deflate_decompress_ex(
                d.get(), data, static_cast<std::size_t>(m.compressedSize), plain.data(),
                static_cast<std::size_t>(m.size), &consumed, &actual);
            if (rc == LIBDEFLATE_INSUFFICIENT_SPACE)
                memberFail("data is larger than its declared size");
            if (rc != LIBDEFLATE_SUCCESS) memberFail("compressed data is damaged");
            if (consumed != m.compressedSize) memberFail(kTrailing);
            emit(plain.data(), actual);
        }
    } else {
        std::string in(kChunk, '\0');
        std::string buf(kChunk, '\0');
        std::uint64_t pos = dataStart(entry);
        std::uint64_t left = m.compressedSize;
        z_stream zs{};
        bz_stream bz{};
        bool ended = false;
        if (m.method == kMethodDeflate && inflateInit2(&zs, -15) != Z_OK)
            memberFail("out of memory");
        if (m.method == kMethodBzip2 && BZ2_bzDecompressInit(&bz, 0, 0) != BZ_OK)
            memberFail("out of memory");
        struct Cleanup {
            z_stream* z;
            bz_stream* b;
            std::uint16_t method;
            ~Cleanup() {
                if (method == kMethodDeflate) inflateEnd(z);
                if (method == kMethodBzip2) BZ2_bzDecompressEnd(b);
            }
        } cleanup{&zs, &bz, m.method};
        while (left > 0 && !ended) {
            check();
            std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(left, kChunk));
            read(pos, in.data(), n);
            pos += n;
            left -= n;
            if (m.method == kMethodStored) {
                emit(in.data(), n);
                continue;
            }
            if (m.method == kMethodDeflate) {
                zs.next_in = reinterpret_cast<Bytef*>(in.data());
                zs.avail_in = static_cast<uInt>(n);
                while (zs.avail_in > 0 || left == 0) {
                    zs.next_out = reinterpret_cast<Bytef*>(buf.data());
                    zs.avail_out = static_cast<uInt>(buf.size());
                    int rc = inflate(&zs, Z_NO_FLUSH);
                    if (rc != Z_OK && rc != Z_STREAM_END && rc != Z_BUF_ERROR)
                        memberFail("compressed data is damaged");
                    emit(buf.data(), buf.size() - zs.avail_out);
                    if (rc == Z_STREAM_END) {
                        ended = true;
                        break;
                    }
                    if (rc == Z_BUF_ERROR || (zs.avail_out != 0 && zs.avail_in == 0)) break;
                    check();
                }
            } else {
                bz.next_in = in.data();
                bz.avail_in = static_cast<unsigned>(n);
                while (bz.avail_in > 0 || left == 0) {
                    bz.next_out = buf.data();
                    bz.avail_out = static_cast<unsigned>(buf.size());
                    int rc = BZ2_bzDecompress(&bz);
                    if (rc != BZ_OK && rc != BZ_STREAM_END)
                        memberFail("compressed data is damaged");
                    emit(buf.data(), buf.size() - bz.avail_out);
                    if (rc == BZ_STREAM_END) {
                        ended = true;
                        break;
                    }
                    if (bz.avail_out != 0 && bz.avail_in == 0) break;
                    check();
                }
            }
        }
        if (m.method == kMethodStored) ended = true;
        if (!ended) memberFail("compressed data ends too early");
        if (left > 0 || zs.avail_in > 0 || bz.avail_in > 0) memberFail(kTrailing);
    }
    if (out != m.size) memberFail("data is shorter than its declared size");
    if (crc != m.crc32) memberFail("CRC mismatch (data is damaged)");
}

}  // namespace torvane::zip
