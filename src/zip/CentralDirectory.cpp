#include "zip/CentralDirectory.h"

#include <algorithm>
#include <string_view>

namespace torvane::zip {
namespace {

constexpr std::size_t kChunk = 1 << 20;

// Length of the central record at the start of `rest`, from its own length fields.
std::size_t recordSize(std::string_view rest) {
    auto u16 = [&](std::size_t at) {
        return static_cast<std::size_t>(static_cast<unsigned char>(rest[at])) |
               static_cast<std::size_t>(static_cast<unsigned char>(rest[at + 1])) << 8;
    };
    return format::kCentralFixed + u16(28) + u16(30) + u16(32);
}

}  // namespace

void CentralDirectory::add(const format::EntryRecord& entry) {
    std::string record = format::centralHeader(entry);
    if (chunks_.empty() || chunks_.back().size() + record.size() > chunks_.back().capacity()) {
        chunks_.emplace_back().reserve(std::max(kChunk, record.size()));
    }
    chunks_.back() += record;
    ++entries_;
}

void CentralDirectory::writeTo(ArchiveOutput& out) const {
    format::EndRecord end;
    end.entries = entries_;
    std::size_t first = chunks_.empty() ? 0 : recordSize(chunks_.front());
    out.reserve(std::max<std::size_t>(first, format::kEndFixed));
    end.cdDisk = out.disk();
    end.cdOffset = out.offset();
    std::uint64_t cdBytes = 0;
    std::uint64_t onDisk = 0;
    std::uint32_t disk = out.disk();
    for (const std::string& chunk : chunks_) {
        std::string_view rest = chunk;
        while (!rest.empty()) {
            std::string_view record = rest.substr(0, recordSize(rest));
            rest.remove_prefix(record.size());
            out.writeRecord(record);
            if (out.disk() != disk) {
                disk = out.disk();
                onDisk = 0;
            }
            ++onDisk;
            cdBytes += record.size();
        }
    }
    end.cdSize = cdBytes;
    std::size_t endSize = format::kEndFixed;
    end.lastDisk = out.disk();
    end.entriesOnLastDisk = onDisk;
    if (format::needsZip64End(end)) endSize += format::kZip64EndFixed + format::kZip64LocatorSize;
    out.reserve(endSize);
    if (out.disk() != disk) end.entriesOnLastDisk = 0;
    end.lastDisk = out.disk();
    end.zip64EndOffset = out.offset();
    out.writeRecord(format::endRecords(end));
}

}  // namespace torvane::zip
