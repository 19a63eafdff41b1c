#include "zip/ArchiveOutput.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <system_error>

namespace torvane::zip {
namespace {

constexpr std::size_t kBufferSize = 1 << 20;
// A volume is never started with less room than a header needs.
constexpr std::uint64_t kMinVolume = 64 * 1024;
constexpr std::int64_t kFatMagic = 0x4d44;  // statfs type of FAT12, FAT16 and FAT32 (vfat, msdos)

std::string reasonFor(const std::filesystem::path& p, int err) {
    return "cannot write " + p.string() + ": " + std::strerror(err);
}

bool allDigits(std::string_view s) {
    return !s.empty() &&
           std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool processRuns(std::string_view digits) {
    if (digits.size() > 9) return false;
    pid_t pid = static_cast<pid_t>(std::stol(std::string(digits)));
    return pid == ::getpid() || ::kill(pid, 0) == 0 || errno == EPERM;
}

// ".LEAF.tvtmpPID-N" (a pending file's temporary, LEAF being the archive or one of its volumes,
// cut as the pending file cuts it) of a process that has ended, or ".NAME.zip.tmp-XXXXXX", the
// name earlier versions wrote volumes under.
bool isStaleTemporary(std::string_view name, const std::string& leaf, const std::string& stem) {
    if (name.size() < 2 || name[0] != '.') return false;
    name.remove_prefix(1);
    std::string old = leaf + ".tmp-";
    if (name.size() == old.size() + 6 && name.substr(0, old.size()) == old)
        return std::all_of(name.begin() + static_cast<std::ptrdiff_t>(old.size()), name.end(),
                           [](char c) { return std::isalnum(static_cast<unsigned char>(c)); });
    std::size_t mark = name.rfind(".tvtmp");
    if (mark == std::string_view::npos) return false;
    std::string_view owner = name.substr(mark + 6);
    std::size_t dash = owner.find('-');
    if (dash == std::string_view::npos || !allDigits(owner.substr(0, dash)) ||
        !allDigits(owner.substr(dash + 1)))
        return false;
    std::string_view file = name.substr(0, mark);
    bool ours = file == std::string_view(leaf).substr(0, 200) ||
                (file.size() >= stem.size() + 4 && file.substr(0, stem.size()) == stem &&
                 file.substr(stem.size(), 2) == ".z" && allDigits(file.substr(stem.size() + 2)));
    return ours && !processRuns(owner.substr(0, dash));
}

}  // namespace

std::uint64_t hostFreeSpace(const std::filesystem::path& folder) {
    struct statvfs s {};
    if (::statvfs(folder.c_str(), &s) != 0) return 0;
    return static_cast<std::uint64_t>(s.f_bavail) * static_cast<std::uint64_t>(s.f_frsize);
}

std::uint64_t largestFileOn(std::int64_t fileSystemType) {
    return fileSystemType == kFatMagic ? 0xFFFFFFFFu : UINT64_MAX;
}

std::uint64_t hostLargestFile(const std::filesystem::path& folder) {
    struct statfs s {};
    if (::statfs(folder.c_str(), &s) != 0) return UINT64_MAX;
    return largestFileOn(static_cast<std::int64_t>(s.f_type));
}

void removeStaleTemporaries(const std::filesystem::path& archive) {
    std::filesystem::path folder = archive.parent_path();
    if (folder.empty()) folder = ".";
    std::string leaf = archive.filename().string();
    std::string stem = archive.stem().string();
    std::vector<std::string> stale;
    if (DIR* d = ::opendir(folder.c_str())) {
        while (dirent* e = ::readdir(d))
            if (isStaleTemporary(e->d_name, leaf, stem)) stale.emplace_back(e->d_name);
        ::closedir(d);
    }
    for (const std::string& name : stale) ::unlink((folder / name).c_str());
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
    folder_ = options_.archive.parent_path();
    if (folder_.empty()) folder_ = ".";
    buffer_.reserve(kBufferSize);
    removeStaleTemporaries(options_.archive);
    startVolume();
}

ArchiveOutput::~ArchiveOutput() {
    volume_.reset();
    if (dir_ >= 0) ::close(dir_);
    if (committed_) return;
    // Only files that are still the volumes this run wrote: another disk may be in the drive.
    for (const Named& n : named_) {
        struct stat st {};
        if (::lstat(n.path.c_str(), &st) == 0 && st.st_dev == n.dev && st.st_ino == n.ino)
            ::unlink(n.path.c_str());
    }
}

std::uint64_t ArchiveOutput::room() const {
    return volumeLimit_ > volumeBytes_ ? volumeLimit_ - volumeBytes_ : 0;
}

void ArchiveOutput::startVolume() {
    std::error_code ec;
    std::filesystem::create_directories(folder_, ec);
    if (ec) throw WriteFailure("cannot create folder " + folder_.string() + ": " + ec.message());
    dir_ = ::open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir_ < 0) throw WriteFailure(reasonFor(options_.archive, errno));
    try {
        volume_ = std::make_unique<PendingFile>(dir_, options_.archive.filename().string());
    } catch (const std::system_error& e) {
        throw WriteFailure(reasonFor(options_.archive, e.code().value()));
    }
    fd_ = volume_->fd();
    ::fchmod(fd_, 0644);
    volumeBytes_ = 0;
    std::uint64_t largest = options_.faults.largestFile ? options_.faults.largestFile(folder_)
                                                        : hostLargestFile(folder_);
    if (!options_.multiVolume) {
        volumeLimit_ = largest;
        return;
    }
    if (options_.volumeSize) {
        volumeLimit_ = std::max<std::uint64_t>(*options_.volumeSize, kMinVolume);
    } else {
        std::uint64_t free =
            options_.faults.freeSpace ? options_.faults.freeSpace(folder_) : hostFreeSpace(folder_);
        // A margin for the file system's own bookkeeping; small disks give up a sixteenth.
        std::uint64_t margin = std::min<std::uint64_t>(1 << 20, free / 16);
        volumeLimit_ = free > margin ? free - margin : 0;
        if (volumeLimit_ < kMinVolume) volumeLimit_ = kMinVolume;
    }
    volumeLimit_ = std::min(volumeLimit_, largest);
}

void ArchiveOutput::finishVolume(const std::filesystem::path& name) {
    flush();
    if (::fsync(fd_) != 0) throw WriteFailure(reasonFor(name, errno));
    try {
        volume_->publishAs(name.filename().string());
    } catch (const std::system_error& e) {
        throw WriteFailure("cannot create " + name.string() + ": " +
                           std::strerror(e.code().value()));
    }
    struct stat st {};
    ::fstat(fd_, &st);
    named_.push_back({name, st.st_dev, st.st_ino});
    volume_.reset();
    fd_ = -1;
    ::close(dir_);
    dir_ = -1;
}

void ArchiveOutput::nextVolume() {
    if (!options_.multiVolume) {
        throw WriteFailure("cannot write " + options_.archive.string() +
                           ": the archive would pass " + std::to_string(volumeLimit_) +
                           " bytes, the largest file the file system of " + folder_.string() +
                           " can hold; a multi-volume backup can be written there");
    }
    finishVolume(volumePath(options_.archive, disk_, disk_ + 1));
    ++disk_;
    // The disk is asked for only once the full one is complete and named.
    int number = static_cast<int>(disk_) + 1;
    if (!options_.nextDisk || !options_.nextDisk(number))
        throw NoNextDisk("the archive needs disk " + std::to_string(number) +
                         " and none was provided");
    startVolume();
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
            nextVolume();
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
    if (room() < bytes) nextVolume();
}

void ArchiveOutput::writeRecord(std::string_view record) {
    reserve(record.size());
    write(record);
}

void ArchiveOutput::commit() {
    finishVolume(options_.archive);
    committed_ = true;
}

}  // namespace torvane::zip
