#include "zip/Format.h"

#include <algorithm>

namespace torvane::zip::format {

bool LeReader::take(std::size_t n) {
    if (failed_ || n > size_ - pos_) {
        failed_ = true;
        return false;
    }
    return true;
}

std::uint8_t LeReader::u8() { return take(1) ? data_[pos_++] : 0; }

std::uint16_t LeReader::u16() {
    if (!take(2)) return 0;
    std::uint16_t v = static_cast<std::uint16_t>(data_[pos_] | (data_[pos_ + 1] << 8));
    pos_ += 2;
    return v;
}

std::uint32_t LeReader::u32() {
    if (!take(4)) return 0;
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | data_[pos_ + i];
    pos_ += 4;
    return v;
}

std::uint64_t LeReader::u64() {
    if (!take(8)) return 0;
    std::uint64_t v = 0;
    for (int i = 7; i >= 0; --i) v = (v << 8) | data_[pos_ + i];
    pos_ += 8;
    return v;
}

std::string_view LeReader::bytes(std::size_t n) {
    if (!take(n)) return {};
    std::string_view v(reinterpret_cast<const char*>(data_ + pos_), n);
    pos_ += n;
    return v;
}

void LeReader::skip(std::size_t n) {
    if (take(n)) pos_ += n;
}

DosTime toDosTime(std::time_t t) {
    std::tm tm{};
    if (!localtime_r(&t, &tm) || tm.tm_year < 80) return {0, (0 << 9) | (1 << 5) | 1};
    if (tm.tm_year > 207)
        return {static_cast<std::uint16_t>((23 << 11) | (59 << 5) | 29),
                static_cast<std::uint16_t>((127 << 9) | (12 << 5) | 31)};
    DosTime d;
    d.time = static_cast<std::uint16_t>((tm.tm_hour << 11) | (tm.tm_min << 5) | (tm.tm_sec / 2));
    d.date =
        static_cast<std::uint16_t>(((tm.tm_year - 80) << 9) | ((tm.tm_mon + 1) << 5) | tm.tm_mday);
    return d;
}

std::time_t fromDosTime(std::uint16_t time, std::uint16_t date) {
    std::tm tm{};
    tm.tm_year = ((date >> 9) & 0x7f) + 80;
    tm.tm_mon = std::clamp(((date >> 5) & 0xf) - 1, 0, 11);
    tm.tm_mday = std::clamp(date & 0x1f, 1, 31);
    tm.tm_hour = std::min((time >> 11) & 0x1f, 23);
    tm.tm_min = std::min((time >> 5) & 0x3f, 59);
    tm.tm_sec = std::min((time & 0x1f) * 2, 59);
    tm.tm_isdst = -1;
    return std::mktime(&tm);
}

namespace {

std::uint16_t versionNeeded(const EntryRecord& e, bool zip64) {
    if (zip64) return 45;
    return e.method == kMethodStored ? 10 : 20;
}

// Extended timestamp: modification time only, which both headers may carry in the same form.
void timeExtra(LeWriter& w, std::time_t t) {
    w.u16(kTimeExtra);
    w.u16(5);
    w.u8(1);
    w.u32(static_cast<std::uint32_t>(
        static_cast<std::int32_t>(std::clamp<std::time_t>(t, INT32_MIN, INT32_MAX))));
}

}  // namespace

std::string localHeader(const EntryRecord& e) {
    std::string out;
    LeWriter w(out);
    DosTime dt = toDosTime(e.mtime);
    bool descriptor = (e.flags & kFlagDescriptor) != 0;
    w.u32(kLocalSig);
    w.u16(versionNeeded(e, e.localZip64));
    w.u16(e.flags);
    w.u16(e.method);
    w.u16(dt.time);
    w.u16(dt.date);
    w.u32(descriptor ? 0 : e.crc);
    if (e.localZip64) {
        w.u32(kMax32);
        w.u32(kMax32);
    } else {
        w.u32(descriptor ? 0 : static_cast<std::uint32_t>(e.compressedSize));
        w.u32(descriptor ? 0 : static_cast<std::uint32_t>(e.size));
    }
    w.u16(static_cast<std::uint16_t>(e.name.size()));
    w.u16(static_cast<std::uint16_t>(9 + (e.localZip64 ? 20 : 0)));
    w.bytes(e.name);
    timeExtra(w, e.mtime);
    if (e.localZip64) {
        w.u16(kZip64Extra);
        w.u16(16);
        w.u64(descriptor ? 0 : e.size);
        w.u64(descriptor ? 0 : e.compressedSize);
    }
    return out;
}

std::string dataDescriptor(const EntryRecord& e) {
    std::string out;
    LeWriter w(out);
    w.u32(kDescriptorSig);
    w.u32(e.crc);
    if (e.localZip64) {
        w.u64(e.compressedSize);
        w.u64(e.size);
    } else {
        w.u32(static_cast<std::uint32_t>(e.compressedSize));
        w.u32(static_cast<std::uint32_t>(e.size));
    }
    return out;
}

std::string centralHeader(const EntryRecord& e) {
    bool bigSize = e.size >= kMax32;
    bool bigComp = e.compressedSize >= kMax32;
    bool bigOffset = e.localOffset >= kMax32;
    bool bigDisk = e.disk >= kMax16;
    std::uint16_t zip64Len =
        static_cast<std::uint16_t>(8 * (bigSize + bigComp + bigOffset) + 4 * bigDisk);
    bool zip64 = zip64Len > 0;

    std::string out;
    LeWriter w(out);
    DosTime dt = toDosTime(e.mtime);
    w.u32(kCentralSig);
    w.u16(static_cast<std::uint16_t>((3 << 8) | 63));  // made on Unix, so the mode below counts
    w.u16(versionNeeded(e, zip64 || e.localZip64));
    w.u16(e.flags);
    w.u16(e.method);
    w.u16(dt.time);
    w.u16(dt.date);
    w.u32(e.crc);
    w.u32(bigComp ? kMax32 : static_cast<std::uint32_t>(e.compressedSize));
    w.u32(bigSize ? kMax32 : static_cast<std::uint32_t>(e.size));
    w.u16(static_cast<std::uint16_t>(e.name.size()));
    w.u16(static_cast<std::uint16_t>(9 + (zip64 ? 4 + zip64Len : 0)));
    w.u16(0);
    w.u16(bigDisk ? kMax16 : static_cast<std::uint16_t>(e.disk));
    w.u16(0);
    w.u32(e.mode << 16);
    w.u32(bigOffset ? kMax32 : static_cast<std::uint32_t>(e.localOffset));
    w.bytes(e.name);
    timeExtra(w, e.mtime);
    if (zip64) {
        w.u16(kZip64Extra);
        w.u16(zip64Len);
        if (bigSize) w.u64(e.size);
        if (bigComp) w.u64(e.compressedSize);
        if (bigOffset) w.u64(e.localOffset);
        if (bigDisk) w.u32(e.disk);
    }
    return out;
}

bool needsZip64End(const EndRecord& e) {
    return e.entries >= kMax16 || e.entriesOnLastDisk >= kMax16 || e.cdSize >= kMax32 ||
           e.cdOffset >= kMax32 || e.cdDisk >= kMax16 || e.lastDisk >= kMax16;
}

std::string endRecords(const EndRecord& e) {
    std::string out;
    LeWriter w(out);
    bool zip64 = needsZip64End(e);
    if (zip64) {
        w.u32(kZip64EndSig);
        w.u64(kZip64EndFixed - 12);
        w.u16(static_cast<std::uint16_t>((3 << 8) | 63));
        w.u16(45);
        w.u32(e.lastDisk);
        w.u32(e.cdDisk);
        w.u64(e.entriesOnLastDisk);
        w.u64(e.entries);
        w.u64(e.cdSize);
        w.u64(e.cdOffset);
        w.u32(kZip64LocatorSig);
        w.u32(e.lastDisk);
        w.u64(e.zip64EndOffset);
        w.u32(e.lastDisk + 1);
    }
    auto c16 = [](std::uint64_t v) {
        return static_cast<std::uint16_t>(std::min<std::uint64_t>(v, kMax16));
    };
    auto c32 = [](std::uint64_t v) {
        return static_cast<std::uint32_t>(std::min<std::uint64_t>(v, kMax32));
    };
    w.u32(kEndSig);
    w.u16(c16(e.lastDisk));
    w.u16(c16(e.cdDisk));
    w.u16(c16(e.entriesOnLastDisk));
    w.u16(c16(e.entries));
    w.u32(c32(e.cdSize));
    w.u32(c32(e.cdOffset));
    w.u16(0);
    return out;
}

}  // namespace torvane::zip::format
