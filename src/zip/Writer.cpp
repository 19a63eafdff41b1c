// createArchive: selection, parallel compression, in-order writing, central directory.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

#include "zip/ArchiveOutput.h"
#include "zip/Deflate.h"
#include "zip/Format.h"
#include "zip/Selection.h"
#include "zip/ZipEngine.h"

namespace torvane::zip {
namespace {

constexpr std::size_t kBlockSize = 1 << 20;
// Input bytes held by queued and running jobs. Each job holds at most its input and its output,
// so buffers stay within about twice this, whatever the file sizes.
constexpr std::size_t kInFlightBytes = 12u << 20;

enum Decision : int { kUndecided, kDeflate, kStore };

struct FileShared {
    std::atomic<int> decision{kUndecided};
};

struct Job {
    std::size_t file = 0;
    std::uint64_t offset = 0;
    std::size_t length = 0;
    bool single = false;  // the whole file in one job
    bool last = false;
    // Results, valid once done.
    std::string raw;
    std::string packed;
    bool packedValid = false;
    bool deflateFile = false;  // first block of a multi-block file: the whole file's method
    std::uint32_t crc = 0;
    std::string error;
    bool done = false;
};

// Opens a selected path for reading without ever blocking on a FIFO or device that took a
// regular file's place after the selection looked at it.
int openRegular(const std::filesystem::path& p, std::string& error) {
    int fd = ::open(p.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = std::strerror(errno);
        return -1;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        error = "not a regular file";
        ::close(fd);
        return -1;
    }
    return fd;
}

bool readAt(int fd, std::uint64_t offset, std::size_t length, std::string& out,
            std::string& error) {
    out.resize(length);
    std::size_t got = 0;
    while (got < length) {
        ssize_t n = ::pread(fd, out.data() + got, length - got, static_cast<off_t>(offset + got));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            error = std::strerror(errno);
            return false;
        }
        if (n == 0) {
            error = "the file became shorter while it was read";
            return false;
        }
        got += static_cast<std::size_t>(n);
    }
    return true;
}

class Pipeline {
  public:
    Pipeline(const std::vector<SelectedFile>& files, int level, int threads, const Faults& faults)
        : files_(files), shared_(files.size()), level_(level), faults_(faults) {
        for (int i = 0; i < threads; ++i) workers_.emplace_back([this] { work(); });
    }

    ~Pipeline() {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_all();
        for (auto& t : workers_) t.join();
    }

    // The next job in archive order, done; null when every file has been through.
    std::unique_ptr<Job> next() {
        std::unique_lock lock(mutex_);
        fill();
        if (window_.empty()) return nullptr;
        done_.wait(lock, [this] { return window_.front()->done; });
        std::unique_ptr<Job> job = std::move(window_.front());
        window_.pop_front();
        inFlight_ -= job->length;
        fill();
        return job;
    }

    // A file whose first job failed: its later jobs, already queued, are dropped unread.
    void abandonFile(std::size_t file) {
        std::lock_guard lock(mutex_);
        abandoned_ = file;
    }

  private:
    void fill() {
        bool added = false;
        while (nextFile_ < files_.size() &&
               (inFlight_ < kInFlightBytes || window_.size() < workers_.size() + 1)) {
            const SelectedFile& f = files_[nextFile_];
            auto job = std::make_unique<Job>();
            job->file = nextFile_;
            job->offset = nextOffset_;
            job->single = f.size <= kBlockSize;
            job->length =
                static_cast<std::size_t>(std::min<std::uint64_t>(f.size - nextOffset_, kBlockSize));
            nextOffset_ += job->length;
            job->last = nextOffset_ >= f.size;
            if (job->last) {
                ++nextFile_;
                nextOffset_ = 0;
            }
            inFlight_ += job->length;
            pending_.push_back(job.get());
            window_.push_back(std::move(job));
            added = true;
        }
        if (added) wake_.notify_all();
    }

    void work() {
        std::unique_lock lock(mutex_);
        for (;;) {
            wake_.wait(lock, [this] { return stopping_ || !pending_.empty(); });
            if (stopping_) return;
            Job* job = pending_.front();
            pending_.pop_front();
            bool skip = abandoned_ == job->file;
            lock.unlock();
            if (!skip) run(*job);
            lock.lock();
            job->done = true;
            done_.notify_all();
        }
    }

    void run(Job& job) {
        const SelectedFile& f = files_[job.file];
        FileShared& shared = shared_[job.file];
        // Later blocks wait for the first block's decision, so even a first block that cannot be
        // read leaves one behind.
        struct Decide {
            FileShared& shared;
            bool first;
            ~Decide() {
                int undecided = kUndecided;
                if (first) shared.decision.compare_exchange_strong(undecided, kStore);
            }
        } decide{shared, !job.single && job.offset == 0};
        if (faults_.failRead && faults_.failRead(f.path)) {
            job.error = std::strerror(EACCES);
            return;
        }
        int fd = openRegular(f.path, job.error);
        if (fd < 0) return;
        bool ok = readAt(fd, job.offset, job.length, job.raw, job.error);
        ::close(fd);
        if (!ok) return;
        job.crc = crc32Of(job.raw);
        if (job.single) {
            job.packedValid =
                looksCompressible(job.raw) && deflateWhole(job.raw, level_, job.packed);
            return;
        }
        if (job.offset == 0) {
            job.deflateFile = looksCompressible(job.raw);
            shared.decision.store(job.deflateFile ? kDeflate : kStore);
        } else {
            // The first block decides for the whole file within a millisecond; it was handed
            // out before this one, so the wait is short and never circular.
            while (shared.decision.load() == kUndecided) std::this_thread::yield();
        }
        if (shared.decision.load() == kStore) return;
        deflateBlock(job.raw, job.last, level_, job.packed);
        job.packedValid = true;
        std::string().swap(job.raw);
    }

    const std::vector<SelectedFile>& files_;
    std::vector<FileShared> shared_;
    int level_;
    const Faults& faults_;
    std::vector<std::thread> workers_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable done_;
    std::deque<std::unique_ptr<Job>> window_;
    std::deque<Job*> pending_;
    std::size_t nextFile_ = 0;
    std::uint64_t nextOffset_ = 0;
    std::size_t inFlight_ = 0;
    std::size_t abandoned_ = SIZE_MAX;
    bool stopping_ = false;
};

// Progress by bytes (by files when every file is empty), never going back, ending at 100.
class Progress {
  public:
    Progress(std::uint64_t totalBytes, std::size_t totalFiles)
        : byBytes_(totalBytes > 0), total_(totalBytes > 0 ? totalBytes : totalFiles) {}
    int add(std::uint64_t bytes, std::size_t files) {
        done_ += byBytes_ ? bytes : files;
        int pct = total_ == 0
                      ? 100
                      : static_cast<int>(std::min<std::uint64_t>(100, done_ * 100 / total_));
        last_ = std::max(last_, pct);
        return last_;
    }

  private:
    bool byBytes_;
    std::uint64_t total_;
    std::uint64_t done_ = 0;
    int last_ = 0;
};

std::uint64_t deflateWorstCase(std::uint64_t size) {
    return size + size / 1000 + (size / kBlockSize + 1) * 16 + 64;
}

// NAME.zip itself or one of its split volumes NAME.z01, NAME.z02, ...
bool isArchiveVolume(const std::filesystem::path& file, const std::filesystem::path& archive) {
    std::filesystem::path a = std::filesystem::absolute(archive).lexically_normal();
    std::filesystem::path f = std::filesystem::absolute(file).lexically_normal();
    if (f == a) return true;
    if (f.parent_path() != a.parent_path() || f.stem() != a.stem()) return false;
    std::string ext = f.extension().string();
    return ext.size() >= 4 && (ext[1] == 'z' || ext[1] == 'Z') &&
           ext.find_first_not_of("0123456789", 2) == std::string::npos;
}

// Host names are bytes; only those that are valid UTF-8 may claim to be.
bool isUtf8(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        auto c = static_cast<unsigned char>(s[i]);
        std::size_t len = c < 0x80           ? 1
                          : (c >> 5) == 0x6  ? 2
                          : (c >> 4) == 0xE  ? 3
                          : (c >> 3) == 0x1E ? 4
                                             : 0;
        if (len == 0 || i + len > s.size()) return false;
        for (std::size_t k = 1; k < len; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
        i += len;
    }
    return true;
}

Outcome failed(std::string reason, std::vector<std::string> skipped) {
    return Outcome{Outcome::Status::Failed, std::move(reason), std::move(skipped)};
}

void writeCentral(ArchiveOutput& out, const std::vector<format::EntryRecord>& entries) {
    format::EndRecord end;
    end.entries = entries.size();
    std::string first = entries.empty() ? std::string() : format::centralHeader(entries.front());
    out.reserve(std::max<std::size_t>(first.size(), format::kEndFixed));
    end.cdDisk = out.disk();
    end.cdOffset = out.offset();
    std::uint64_t cdBytes = 0;
    std::uint64_t onDisk = 0;
    std::uint32_t disk = out.disk();
    for (const auto& e : entries) {
        std::string h = format::centralHeader(e);
        out.writeRecord(h);
        if (out.disk() != disk) {
            disk = out.disk();
            onDisk = 0;
        }
        ++onDisk;
        cdBytes += h.size();
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

}  // namespace

Outcome createArchive(const BackupRequest& request, Events& events) {
    std::error_code ec;
    if (!std::filesystem::is_directory(request.sourceFolder, ec)) {
        return failed("cannot read folder " + request.sourceFolder.string() + ": " +
                          (ec ? ec.message() : std::string("not a folder")),
                      {});
    }
    Selection selection =
        selectFiles(request.sourceFolder, request.pattern, request.recurse, request.nameBase);
    // An archive written inside the tree it backs up must not swallow its own previous version.
    std::erase_if(selection.files,
                  [&](const SelectedFile& f) { return isArchiveVolume(f.path, request.archive); });
    std::vector<std::string> skipped = std::move(selection.skipped);
    const auto& files = selection.files;
    std::uint64_t totalBytes = 0;
    for (const auto& f : files) totalBytes += f.size;

    int threads = request.threads > 0
                      ? request.threads
                      : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    int level = std::clamp(request.level, 1, 9);
    try {
        ArchiveOutput out({request.archive, request.multiVolume, request.volumeSize,
                           request.nextDisk, request.faults});
        std::vector<format::EntryRecord> entries;
        entries.reserve(files.size());
        Progress progress(totalBytes, files.size());
        Pipeline pipeline(files, level, threads, request.faults);
        std::size_t skipFile = SIZE_MAX;
        format::EntryRecord current;
        std::uint64_t fileDone = 0;

        while (std::unique_ptr<Job> job = pipeline.next()) {
            const SelectedFile& f = files[job->file];
            if (job->file == skipFile) continue;
            if (!job->error.empty()) {
                if (job->offset > 0) {
                    return failed(f.path.string() + ": " + job->error, std::move(skipped));
                }
                skipped.push_back(f.path.string() + ": " + job->error);
                skipFile = job->file;
                pipeline.abandonFile(job->file);
                if (events.overallProgress(progress.add(f.size, 1)))
                    return Outcome{Outcome::Status::Cancelled, "cancelled", std::move(skipped)};
                continue;
            }
            if (job->offset == 0) {
                events.item(request.itemText ? request.itemText(f.path) : f.path.string());
                current = format::EntryRecord{};
                current.name = f.name;
                current.size = f.size;
                current.mtime = f.mtime;
                current.mode = 0100000 | f.mode;
                if (!isUtf8(f.name))
                    current.flags &= static_cast<std::uint16_t>(~format::kFlagUtf8);
                current.crc = job->crc;
                if (job->single) {
                    current.method =
                        job->packedValid ? format::kMethodDeflate : format::kMethodStored;
                    current.compressedSize =
                        job->packedValid ? job->packed.size() : job->raw.size();
                } else {
                    current.method =
                        job->deflateFile ? format::kMethodDeflate : format::kMethodStored;
                    current.flags |= format::kFlagDescriptor;
                    std::uint64_t worst =
                        current.method == format::kMethodStored ? f.size : deflateWorstCase(f.size);
                    current.localZip64 = worst >= format::kMax32;
                }
                std::string header = format::localHeader(current);
                out.reserve(header.size());
                current.disk = out.disk();
                current.localOffset = out.offset();
                out.writeRecord(header);
                fileDone = 0;
            } else {
                current.crc = crc32Combine(current.crc, job->crc, job->length);
            }
            bool deflated = current.method == format::kMethodDeflate;
            const std::string& data = deflated ? job->packed : job->raw;
            out.write(data);
            if (!job->single) current.compressedSize += data.size();
            fileDone += job->length;
            if (job->last && !job->single) out.write(format::dataDescriptor(current));
            events.fileProgress(f.size == 0 ? 100 : static_cast<int>(fileDone * 100 / f.size));
            int overall = progress.add(job->length, job->last ? 1 : 0);
            if (job->last) entries.push_back(current);
            if (events.overallProgress(overall))
                return Outcome{Outcome::Status::Cancelled, "cancelled", std::move(skipped)};
        }
        if (files.empty() && events.overallProgress(100))
            return Outcome{Outcome::Status::Cancelled, "cancelled", std::move(skipped)};
        writeCentral(out, entries);
        out.commit();
    } catch (const NoNextDisk& e) {
        return failed(e.what(), std::move(skipped));
    } catch (const WriteFailure& e) {
        return failed(e.what(), std::move(skipped));
    } catch (const std::bad_alloc&) {
        return failed("out of memory", std::move(skipped));
    } catch (const std::exception& e) {
        return failed(e.what(), std::move(skipped));
    }
    return Outcome{Outcome::Status::Success, {}, std::move(skipped)};
}

}  // namespace torvane::zip
