// extractArchive and listArchive: members below a destination, each named only once complete.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <string_view>
#include <system_error>
#include <thread>
#include <unordered_map>

#include "platform/PrintableText.h"
#include "zip/ArchiveOutput.h"
#include "zip/MemberWriter.h"
#include "zip/PendingFile.h"
#include "zip/PlacementPlan.h"
#include "zip/Reader.h"
#include "zip/SafePath.h"
#include "zip/ZipEngine.h"

namespace torvane::zip {
namespace {

class Fd {
  public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(Fd&& o) noexcept : fd_(o.fd_) { o.fd_ = -1; }
    Fd& operator=(Fd&& o) noexcept {
        std::swap(fd_, o.fd_);
        return *this;
    }
    int get() const { return fd_; }

  private:
    int fd_;
};

[[noreturn]] void memberFail(const std::string& name, const std::string& why) {
    throw MemberError(platform::printable(name) + ": " + why);
}

// The open folders of the member a worker wrote last. Members of one folder, or of neighbouring
// folders, follow each other, and walking each path again from the destination would double the
// work. Folders are walked one component at a time and never through a symlink, so no member can
// reach outside the destination by way of a link already on disk. Only the upper levels and the
// last folder stay open, so that a deep tree does not run a worker out of descriptors.
class FolderWalk {
  public:
    explicit FolderWalk(int root) : root_(root) {}

    // The folder of the first `count` parts, created as needed.
    int open(const std::vector<std::string>& parts, std::size_t count, const std::string& name) {
        std::size_t keep = 0;
        while (keep < names_.size() && keep < count && names_[keep] == parts[keep]) ++keep;
        if (keep == count && keep == names_.size()) return current();
        std::size_t from = std::min(keep, held_.size());
        names_.resize(from);
        held_.resize(from);
        deepest_ = Fd();
        for (std::size_t i = from; i < count; ++i) {
            Fd next(openOne(current(), parts[i], name));
            names_.push_back(parts[i]);
            if (held_.size() < kHeldLevels)
                held_.push_back(std::move(next));
            else
                deepest_ = std::move(next);
        }
        return current();
    }

  private:
    static constexpr std::size_t kHeldLevels = 8;
    static constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

    int current() const {
        if (deepest_.get() >= 0) return deepest_.get();
        return held_.empty() ? root_ : held_.back().get();
    }

    static int openOne(int parent, const std::string& part, const std::string& name) {
        int next = ::openat(parent, part.c_str(), kFolderFlags);
        if (next < 0 && errno == ENOENT) {
            if (::mkdirat(parent, part.c_str(), 0755) != 0 && errno != EEXIST)
                memberFail(name, "cannot create folder " + platform::printable(part) + ": " +
                                     std::strerror(errno));
            next = ::openat(parent, part.c_str(), kFolderFlags);
        }
        if (next < 0) {
            if (errno == ELOOP || errno == ENOTDIR)
                memberFail(name, "refused: " + platform::printable(part) +
                                     " is a symbolic link or not a folder");
            memberFail(name, "cannot open folder " + platform::printable(part) + ": " +
                                 std::strerror(errno));
        }
        return next;
    }

    int root_;
    std::vector<std::string> names_;  // the path of the last folder
    std::vector<Fd> held_;            // its upper levels
    Fd deepest_;                      // the last folder itself when it lies below them
};

// A member the placement plan lets through.
void extractFile(const Archive& archive, const Entry& entry, WriteLimit& limit, FolderWalk& walk,
                 const std::atomic<bool>& abort, std::atomic<std::uint64_t>& produced) {
    const std::string& name = entry.info.name;
    std::string reason;
    std::vector<std::string> parts = memberComponents(name, reason);
    if (entry.info.isDirectory) {
        walk.open(parts, parts.size(), name);
        return;
    }
    int dir = walk.open(parts, parts.size() - 1, name);
    try {
        PendingFile out(dir, parts.back());
        MemberWriter writer(out.fd(), entry.info.size, &limit);
        archive.extract(
            entry, [&](const char* data, std::size_t n) { writer.write(data, n); }, &abort,
            &produced);
        writer.finish();
        std::uint32_t mode = entry.info.mode & 0777;
        ::fchmod(out.fd(), mode != 0 ? mode : 0644);
        struct timespec times[2];
        times[0].tv_sec = times[1].tv_sec = entry.info.modified;
        times[0].tv_nsec = times[1].tv_nsec = 0;
        ::futimens(out.fd(), times);
        out.publish();
    } catch (const std::system_error& e) {
        memberFail(name, e.what());
    }
}

// Members go to the workers in batches of neighbours in one folder, so that two workers seldom
// create files in the same folder at once, where they would wait on each other's lock on it; a
// batch holds a whole folder of the usual size, and ends after a few MiB so that large files
// are still spread over the workers.
constexpr std::size_t kBatchMembers = 256;
constexpr std::uint64_t kBatchBytes = 4u << 20;
// More workers than this only wait on the disk and on each other.
constexpr int kMaxWorkers = 64;

// The first member of each batch, then the number of members.
std::vector<std::size_t> folderBatches(const std::vector<Entry>& entries) {
    auto folderOf = [&](std::size_t i) {
        const std::string& n = entries[i].info.name;
        std::size_t slash = n.find_last_of("/\\");
        return std::string_view(n).substr(0, slash == std::string::npos ? 0 : slash);
    };
    std::vector<std::size_t> starts;
    std::uint64_t bytes = 0;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (starts.empty() || i - starts.back() >= kBatchMembers || bytes >= kBatchBytes ||
            folderOf(i) != folderOf(i - 1)) {
            starts.push_back(i);
            bytes = 0;
        }
        bytes += entries[i].info.size;
    }
    starts.push_back(entries.size());
    return starts;
}

// The reasons of the members that failed, by index: few, so they are kept apart from the
// progress of every member.
using Errors = std::unordered_map<std::size_t, std::string>;

// Folder entries get their times and permission bits once everything inside them is written,
// since writing a file changes its folder's time and a read-only folder would refuse the file.
void restoreFolderTimes(const std::vector<Entry>& entries, const PlacementPlan& plan,
                        const Errors& errors, int root) {
    FolderWalk walk(root);
    for (std::size_t i = entries.size(); i-- > 0;) {
        const Entry& e = entries[i];
        if (!e.info.isDirectory || plan.verdict(i) != PlacementPlan::Verdict::Place ||
            errors.count(i) != 0)
            continue;
        std::string reason;
        std::vector<std::string> parts = memberComponents(e.info.name, reason);
        if (parts.empty()) continue;
        try {
            int dir = walk.open(parts, parts.size(), e.info.name);
            struct timespec times[2];
            times[0].tv_sec = times[1].tv_sec = e.info.modified;
            times[0].tv_nsec = times[1].tv_nsec = 0;
            ::futimens(dir, times);
            // A folder its owner could not enter or write would take the rest of the restore,
            // and any later one into it, down with it.
            if ((e.info.mode & 0777) != 0) ::fchmod(dir, (e.info.mode & 0777) | 0700);
        } catch (const MemberError&) {
        }
    }
}

}  // namespace

std::vector<MemberInfo> listArchive(const std::filesystem::path& archive,
                                    const std::function<bool(int)>& nextDisk) {
    Archive a = Archive::open(archive, nextDisk);
    std::vector<MemberInfo> out;
    out.reserve(a.entries().size());
    for (const Entry& e : a.entries()) out.push_back(e.info);
    return out;
}

Outcome extractArchive(const RestoreRequest& request, Events& events) {
    Outcome outcome;
    auto failed = [&](std::string reason) {
        outcome.status = Outcome::Status::Failed;
        outcome.reason = std::move(reason);
        return outcome;
    };
    std::optional<Archive> archive;
    try {
        archive.emplace(Archive::open(request.archive, request.nextDisk));
    } catch (const std::exception& e) {
        return failed(e.what());
    }
    const std::vector<Entry>& entries = archive->entries();

    std::error_code ec;
    std::filesystem::create_directories(request.destination, ec);
    Fd root(::open(request.destination.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (root.get() < 0)
        return failed("cannot open " + platform::printable(request.destination.string()) + ": " +
                      std::strerror(errno));

    const PlacementPlan plan(entries);
    auto written = [&](std::size_t i) {
        return !entries[i].info.isDirectory && plan.verdict(i) == PlacementPlan::Verdict::Place;
    };
    // Declared sizes are the archive's word only; a sum that overflows would pass any check.
    std::uint64_t total = 0;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (written(i) && __builtin_add_overflow(total, entries[i].info.size, &total))
            return failed(platform::printable(request.archive.string()) +
                          ": the members' declared sizes add up to more than any disk holds");
    }
    std::uint64_t free = request.faults.freeSpace ? request.faults.freeSpace(request.destination)
                                                  : hostFreeSpace(request.destination);
    if (total > free) {
        return failed("not enough space in " + platform::printable(request.destination.string()) +
                      ": the archive holds " + std::to_string(total) + " bytes, " +
                      std::to_string(free) + " are free");
    }

    WriteLimit limit;
    limit.failAfter = request.faults.failWriteAfterBytes;
    std::atomic<bool> abort{false};
    std::vector<std::size_t> batches = folderBatches(entries);
    std::atomic<std::size_t> nextBatch{0};
    // Bytes written of each member, and which members are done (guarded by the mutex).
    std::vector<std::atomic<std::uint64_t>> produced(entries.size());
    std::vector<bool> done(entries.size());
    Errors errors;
    std::mutex mutex;
    std::condition_variable doneCv;
    std::size_t awaited = entries.size();  // the member the reporting loop sleeps on, if any
    // Restore is bound by the disk well before eight cores are busy inflating.
    int threads = request.threads > 0
                      ? std::min(request.threads, kMaxWorkers)
                      : static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 8u));
    // Workers run at most this far ahead of the member being reported, which bounds the files
    // a cancel leaves extracted beyond the last reported one.
    const std::size_t ahead = static_cast<std::size_t>(threads + 1) * kBatchMembers;
    std::atomic<std::size_t> reported{0};

    auto work = [&] {
        FolderWalk walk(root.get());
        for (;;) {
            std::size_t b = nextBatch.fetch_add(1);
            if (b + 1 >= batches.size()) return;
            for (std::size_t i = batches[b]; i < batches[b + 1]; ++i) {
                while (i > reported.load() + ahead && !abort.load())
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
                std::string error;
                if (abort.load()) {
                    error = platform::printable(entries[i].info.name) + ": cancelled";
                } else if (plan.verdict(i) == PlacementPlan::Verdict::Refuse) {
                    error = plan.reason(i);
                } else if (plan.verdict(i) == PlacementPlan::Verdict::Place) {
                    try {
                        extractFile(*archive, entries[i], limit, walk, abort, produced[i]);
                    } catch (const std::exception& e) {
                        error = e.what();
                    }
                }
                // The reporting loop is woken at the end of a batch or after a large member,
                // not for every small file: a wake-up per file costs more than writing it.
                bool wake;
                {
                    std::lock_guard lock(mutex);
                    done[i] = true;
                    if (!error.empty()) errors.emplace(i, std::move(error));
                    wake = awaited <= i && done[awaited] &&
                           (i + 1 == batches[b + 1] || entries[i].info.size >= kBatchBytes);
                }
                if (wake) doneCv.notify_one();
            }
        }
    };
    std::vector<std::thread> pool;
    // The workers that started share the work; only a restore that gets none fails.
    for (int t = 0; t < threads; ++t) {
        try {
            if (request.faults.failThreadStartAfter && t >= *request.faults.failThreadStartAfter)
                throw std::system_error(EAGAIN, std::generic_category());
            pool.emplace_back(work);
        } catch (const std::system_error& e) {
            if (!pool.empty()) break;
            return failed("cannot start a restore worker: " + e.code().message());
        }
    }

    std::uint64_t doneBytes = 0;
    int lastOverall = 0;
    auto overall = [&](std::uint64_t extra, std::size_t filesDone) {
        int pct =
            total > 0
                ? static_cast<int>(std::min<std::uint64_t>(100, (doneBytes + extra) * 100 / total))
                : static_cast<int>(entries.empty() ? 100 : filesDone * 100 / entries.size());
        lastOverall = std::max(lastOverall, pct);
        return events.overallProgress(lastOverall);
    };
    bool cancelled = false;
    for (std::size_t i = 0; i < entries.size() && !cancelled; ++i) {
        const Entry& e = entries[i];
        events.item(platform::printable(
            request.itemText ? request.itemText(request.destination / e.info.name) : e.info.name));
        std::unique_lock lock(mutex);
        awaited = i;
        int lastFile = -1;
        while (!done[i]) {
            doneCv.wait_for(lock, std::chrono::milliseconds(100));
            if (done[i]) break;
            std::uint64_t p = produced[i].load();
            lock.unlock();
            int pct = e.info.size ? static_cast<int>(p * 100 / e.info.size) : 0;
            if (pct != lastFile) events.fileProgress(lastFile = pct);
            if (overall(p, i)) {
                cancelled = true;
                abort = true;
            }
            lock.lock();
        }
        auto failure = errors.find(i);
        std::string error = failure == errors.end() ? std::string() : failure->second;
        lock.unlock();
        if (!error.empty() && !cancelled) outcome.skipped.push_back(error);
        events.fileProgress(100);
        if (written(i)) doneBytes += e.info.size;
        reported = i + 1;
        if (!cancelled && overall(0, i + 1)) {
            cancelled = true;
            abort = true;
        }
    }
    if (entries.empty() && events.overallProgress(100)) cancelled = true;
    abort = abort.load() || cancelled;
    for (auto& t : pool) t.join();
    if (!cancelled) restoreFolderTimes(entries, plan, errors, root.get());
    if (cancelled) {
        outcome.status = Outcome::Status::Cancelled;
        outcome.reason = "cancelled";
    } else if (!outcome.skipped.empty()) {
        outcome.status = Outcome::Status::Failed;
        outcome.reason = std::to_string(outcome.skipped.size()) +
                         " member(s) could not be extracted; first: " + outcome.skipped.front();
    }
    return outcome;
}

}  // namespace torvane::zip
