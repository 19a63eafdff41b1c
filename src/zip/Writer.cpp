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
#include "zip/CentralDirectory.h"
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
// Jobs in flight, whatever their size: small files would otherwise fill the window by the tens of
// thousands, each with its own bookkeeping, while a few thousand keep every worker busy.
constexpr std::size_t kInFlightJobs = 4096;

enum Decision : int { kUndecided, kDeflate, kStore };

// A file of several blocks while any of them is in flight: one descriptor for all its blocks, so
// that a file replaced part-way is read to its end as the file it was, never half of each.
struct OpenFile {
    std::atomic<int> decision{kUndecided};
    int fd = -1;
    std::string error;  // why it could not be opened
    OpenFile() = default;
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;
    ~OpenFile() {
        if (fd >= 0) ::close(fd);
    }
};

struct Job {
    std::size_t file = 0;
    std::string path;
    std::uint64_t offset = 0;
    std::size_t length = 0;
    bool single = false;  // the whole file in one job
    bool last = false;
    std::shared_ptr<OpenFile> open;  // files of several blocks
    // Results, valid once done.
    std::string raw;
    std::string packed;
    std::size_t got = 0;     // bytes read
    bool shortened = false;  // the file ended before this block did
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

// Reads up to `length` bytes; a file that ends sooner gives what it has and `shortened`.
bool readAt(int fd, std::uint64_t offset, std::size_t length, std::string& out, bool& shortened,
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
            shortened = true;
            break;
        }
        got += static_cast<std::size_t>(n);
    }
    out.resize(got);
    return true;
}

class Pipeline {
  public:
    Pipeline(const Selection& files, int level, int threads, const Faults& faults)
        : files_(files), level_(level), faults_(faults) {
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

    // A file that failed or ended early: its later jobs, already queued, are dropped unread.
    void abandonFile(std::size_t file) {
        std::lock_guard lock(mutex_);
        abandoned_ = file;
    }

  private:
    void fill() {
        bool added = false;
        while (nextFile_ < files_.size() && window_.size() < kInFlightJobs &&
               (inFlight_ < kInFlightBytes || window_.size() < workers_.size() + 1)) {
            const SelectedFile& f = files_[nextFile_];
            auto job = std::make_unique<Job>();
            job->file = nextFile_;
            job->path = files_.path(nextFile_).string();
            job->offset = nextOffset_;
            job->single = f.size <= kBlockSize;
            job->length =
                static_cast<std::size_t>(std::min<std::uint64_t>(f.size - nextOffset_, kBlockSize));
            if (!job->single) {
                if (nextOffset_ == 0) openFile_ = openBlocks(job->path);
                job->open = openFile_;
            }
            nextOffset_ += job->length;
            job->last = nextOffset_ >= f.size;
            if (job->last) {
                ++nextFile_;
                nextOffset_ = 0;
                openFile_.reset();
            }
            inFlight_ += job->length;
            pending_.push_back(job.get());
            window_.push_back(std::move(job));
            added = true;
        }
        if (added) wake_.notify_all();
    }

    std::shared_ptr<OpenFile> openBlocks(const std::string& path) {
        auto open = std::make_shared<OpenFile>();
        if (faults_.failRead && faults_.failRead(path))
            open->error = std::strerror(EACCES);
        else
            open->fd = openRegular(path, open->error);
        return open;
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

    bool read(Job& job, int fd) {
        if (faults_.beforeRead) {
            if (int err = faults_.beforeRead(job.path, job.offset)) {
                job.error = std::strerror(err);
                return false;
            }
        }
        if (!readAt(fd, job.offset, job.length, job.raw, job.shortened, job.error)) return false;
        job.got = job.raw.size();
        job.crc = crc32Of(job.raw);
        return true;
    }

    void run(Job& job) {
        if (job.single) {
            if (faults_.failRead && faults_.failRead(job.path)) {
                job.error = std::strerror(EACCES);
                return;
            }
            int fd = openRegular(job.path, job.error);
            if (fd < 0) return;
            bool ok = read(job, fd);
            ::close(fd);
            job.packedValid =
                ok && looksCompressible(job.raw) && deflateWhole(job.raw, level_, job.packed);
            return;
        }
        OpenFile& open = *job.open;
        // Later blocks wait for the first block's decision, so even a first block that cannot be
        // read leaves one behind.
        struct Decide {
            OpenFile& open;
            bool first;
            ~Decide() {
                int undecided = kUndecided;
                if (first) open.decision.compare_exchange_strong(undecided, kStore);
            }
        } decide{open, job.offset == 0};
        if (open.fd < 0) {
            job.error = open.error;
            return;
        }
        if (!read(job, open.fd)) return;
        if (job.offset == 0) {
            job.deflateFile = looksCompressible(job.raw);
            open.decision.store(job.deflateFile ? kDeflate : kStore);
        } else {
            // The first block decides for the whole file within a millisecond; it was handed
            // out before this one, so the wait is short and never circular.
            while (open.decision.load() == kUndecided) std::this_thread::yield();
        }
        if (open.decision.load() == kStore) return;
        // A block where the file ended finishes the stream, whatever was planned after it.
        deflateBlock(job.raw, job.last || job.shortened, level_, job.packed);
        job.packedValid = true;
        std::string().swap(job.raw);
    }

    const Selection& files_;
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
    std::shared_ptr<OpenFile> openFile_;
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

// NAME.zip itself or one of its split volumes NAME.z01, NAME.z02, ...; `a` absolute and normal.
bool isArchiveVolume(const std::filesystem::path& file, const std::filesystem::path& a) {
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

}  // namespace

Outcome createArchive(const BackupRequest& request, Events& events) {
    std::error_code ec;
    if (!std::filesystem::is_directory(request.sourceFolder, ec)) {
        return Outcome{Outcome::Status::Failed,
                       "cannot read folder " + request.sourceFolder.string() + ": " +
                           (ec ? ec.message() : std::string("not a folder")),
                       {}};
    }
    Selection files =
        selectFiles(request.sourceFolder, request.nameBase,
                    {request.pattern, request.recurse, request.leaveOut,
                     ExclusionList(request.exclude), request.faults.failRead});
    // An archive written inside the tree it backs up must not swallow its own previous version.
    const std::filesystem::path archive =
        std::filesystem::absolute(request.archive).lexically_normal();
    files.dropIf([&](std::size_t i) { return isArchiveVolume(files.path(i), archive); });
    Outcome outcome;
    outcome.skipped = std::move(files.skipped);
    std::uint64_t totalBytes = 0;
    for (std::size_t i = 0; i < files.size(); ++i) totalBytes += files[i].size;

    int threads = request.threads > 0
                      ? request.threads
                      : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    int level = std::clamp(request.level, 1, 9);
    auto cancelled = [&] {
        outcome.status = Outcome::Status::Cancelled;
        outcome.reason = "cancelled";
        return std::move(outcome);
    };
    try {
        ArchiveOutput out({request.archive, request.multiVolume, request.volumeSize,
                           request.nextDisk, request.faults});
        CentralDirectory central;
        Progress progress(totalBytes, files.size());
        Pipeline pipeline(files, level, threads, request.faults);
        std::size_t dropFile = SIZE_MAX;  // a file whose remaining blocks are passed over
        format::EntryRecord current;
        std::uint64_t fileDone = 0;

        while (std::unique_ptr<Job> job = pipeline.next()) {
            if (job->file == dropFile) continue;
            const SelectedFile& f = files[job->file];
            if (!job->error.empty()) {
                // A file that fails after its first block has data in the archive already; with
                // no central record it is not a member, and the rest of the archive stays sound.
                outcome.skipped.push_back(job->path + ": " + job->error);
                dropFile = job->file;
                pipeline.abandonFile(job->file);
                if (events.overallProgress(progress.add(f.size - job->offset, 1)))
                    return cancelled();
                continue;
            }
            if (job->offset == 0) {
                events.item(request.itemText ? request.itemText(job->path) : job->path);
                current = format::EntryRecord{};
                current.name = files.name(job->file);
                current.mtime = f.mtime;
                current.mode = 0100000 | f.mode;
                if (!isUtf8(current.name))
                    current.flags &= static_cast<std::uint16_t>(~format::kFlagUtf8);
                current.crc = job->crc;
                if (job->single) {
                    current.method =
                        job->packedValid ? format::kMethodDeflate : format::kMethodStored;
                    current.size = job->got;
                    current.compressedSize = job->packedValid ? job->packed.size() : job->got;
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
                current.crc = crc32Combine(current.crc, job->crc, job->got);
            }
            bool deflated = current.method == format::kMethodDeflate;
            const std::string& data = deflated ? job->packed : job->raw;
            out.write(data);
            if (!job->single) {
                current.compressedSize += data.size();
                current.size += job->got;
            }
            bool ends = job->last || job->shortened;
            if (ends && !job->single) out.write(format::dataDescriptor(current));
            std::uint64_t planned = ends ? f.size - job->offset : job->length;
            fileDone += planned;
            events.fileProgress(f.size == 0 ? 100 : static_cast<int>(fileDone * 100 / f.size));
            int overall = progress.add(planned, ends ? 1 : 0);
            if (ends) central.add(current);
            if (job->shortened) {
                outcome.changed.push_back(job->path);
                dropFile = job->file;
                pipeline.abandonFile(job->file);
            }
            if (events.overallProgress(overall)) return cancelled();
        }
        if (files.empty() && events.overallProgress(100)) return cancelled();
        central.writeTo(out);
        out.commit();
    } catch (const std::bad_alloc&) {
        outcome.status = Outcome::Status::Failed;
        outcome.reason = "out of memory";
    } catch (const std::exception& e) {
        outcome.status = Outcome::Status::Failed;
        outcome.reason = e.what();
    }
    return outcome;
}

}  // namespace torvane::zip
