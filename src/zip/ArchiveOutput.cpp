#include "zip/ArchiveOutput.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace torvane::zip {
namespace {

constexpr std::size_t kBufferSize = 1 << 20;
// A volume is never started with less room than a header needs.
constexpr std::uint64_t kMinVolume = 64 * 1024;

std::string reasonFor(const std::filesystem::path& p, int err) {
    return "cannot write " + p.string() + ": " + std::strerror(err);
}

}  // namespace

std::uint64_t hostFreeSpace(const std::filesystem::path& folder) {
    struct statvfs s {};
    if (::statvfs(folder.c_str(), &s) != 0) return 0;
    return static_cast<std::uint64_t>(s.f_bavail) * static_cast<std::uint64_t>(s.f_frsize);
}

std::filesystem::path volumePath(const std::filesystem::path& archive, std::uint32_t disk,
                                 std::uint32_t lastDisk) {
    if (disk == lastDisk) return archive;
    std::filesystem::path p = archive;
    char ext[16];
    std::snprintf(ext, sizeof ext, ".z%02u", static_cast<unsigned>(disk + 1));
    p.replace_extension(ext);
    return p;
}

ArchiveOutput::ArchiveOutput(Options options) : options_(std::move(options)) {
    std::error_code ec;
    std::filesystem::path dir = options_.archive.parent_path();
    if (!dir.empty()) std::filesystem::create_directories(dir, ec);
    if (ec) throw WriteFailure("cannot create folder " + dir.string() + ": " + ec.message());
    buffer_.reserve(kBufferSize);
    startVolume();
}

ArchiveOutput::~ArchiveOutput() {
    if (fd_ >= 0) ::close(fd_);
    if (committed_) return;
    for (const auto& v : volumes_) ::unlink(v.c_str());
}

std::uint64_t ArchiveOutput::room() const {
    return volumeLimit_ > volumeBytes_ ? volumeLimit_ - volumeBytes_ : 0;
}

void ArchiveOutput::startVolume() {
    std::filesystem::path dir = options_.archive.parent_path();
    if (dir.empty()) dir = ".";
    if (!volumes_.empty()) {
        // The disk is asked for only once the full one is safely closed.
        int number = static_cast<int>(volumes_.size()) + 1;
        if (!options_.nextDisk || !options_.nextDisk(number))
            throw NoNextDisk("the archive needs disk " + std::to_string(number) +
                             " and none was provided");
    }
    std::string leaf(1, '.');
    leaf += options_.archive.filename().string();
    leaf += ".tmp-XXXXXX";
    std::string pattern = (dir / leaf).string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    fd_ = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd_ < 0) throw WriteFailure(reasonFor(options_.archive, errno));
    ::fchmod(fd_, 0644);
    volumes_.emplace_back(name.data());
    volumeBytes_ = 0;
    if (!options_.multiVolume) {
        volumeLimit_ = UINT64_MAX;
    } else if (options_.volumeSize) {
        volumeLimit_ = std::max<std::uint64_t>(*options_.volumeSize, kMinVolume);
    } else {
        std::uint64_t free =
            options_.faults.freeSpace ? options_.faults.freeSpace(dir) : hostFreeSpace(dir);
        // A margin for the file system's own bookkeeping; small disks give up a sixteenth.
        std::uint64_t margin = std::min<std::uint64_t>(1 << 20, free / 16);
        volumeLimit_ = free > margin ? free - margin : 0;
        if (volumeLimit_ < kMinVolume) volumeLimit_ = kMinVolume;
    }
}

void ArchiveOutput::finishVolume() {
    flush();
    if (::fsync(fd_) != 0) throw WriteFailure(reasonFor(options_.archive, errno));
    ::close(fd_);
    fd_ = -1;
}

void ArchiveOutput::rawWrite(const char* data, std::size_t size) {
    while (size > 0) {
        std::size_t n = size;
        if (options_.faults.failWriteAfterBytes) {
            std::uint64_t limit = *options_.faults.failWriteAfterBytes;
            if (written_ >= limit) throw WriteFailure(reasonFor(options_.archive, ENOSPC));
            n = static_cast<std::size_t>(std::min<std::uint64_t>(n, limit - written_));
        }
        ssize_t w = ::write(fd_, data, n);
        if (w < 0) {
            if (errno == EINTR) continue;
            throw WriteFailure(reasonFor(options_.archive, errno));
        }
        written_ += static_cast<std::uint64_t>(w);
        data += w;
        size -= static_cast<std::size_t>(w);
    }
}

void ArchiveOutput::flush() {
    if (buffer_.empty()) return;
    rawWrite(buffer_.data(), buffer_.size());
    buffer_.clear();
}

void ArchiveOutput::write(std::string_view data) {
    while (!data.empty()) {
        std::uint64_t r = room();
        if (r == 0) {
            finishVolume();
            startVolume();
            continue;
        }
        std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(data.size(), r));
        if (buffer_.size() + n > kBufferSize) flush();
        if (n >= kBufferSize) {
            rawWrite(data.data(), n);
        } else {
            buffer_.append(data.data(), n);
        }
        volumeBytes_ += n;
        data.remove_prefix(n);
    }
}

void ArchiveOutput::reserve(std::uint64_t bytes) {
    if (room() >= bytes) return;
    finishVolume();
    startVolume();
}

void ArchiveOutput::writeRecord(std::string_view record) {
    reserve(record.size());
    write(record);
}

void ArchiveOutput::commit() {
    finishVolume();
    std::uint32_t last = disk();
    for (std::uint32_t i = 0; i <= last; ++i) {
        std::filesystem::path target = volumePath(options_.archive, i, last);
        if (::rename(volumes_[i].c_str(), target.c_str()) != 0) {
            int err = errno;
            // Volumes already renamed are part of a set that is not whole; remove them too.
            for (std::uint32_t j = 0; j < i; ++j)
                ::unlink(volumePath(options_.archive, j, last).c_str());
            throw WriteFailure("cannot create " + target.string() + ": " + std::strerror(err));
        }
    }
    committed_ = true;
}

}  // namespace torvane::zip
