// extractArchive and listArchive: members below a destination, each through a temporary file.

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
#include <thread>

#include "zip/ArchiveOutput.h"
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
    throw MemberError(name + ": " + why);
}

// Opens (creating as needed) the folders of `parts` below the destination, one component at a
// time and never through a symlink, so no member can reach outside the destination by way of a
// link already on disk.
Fd openFolders(int root, const std::vector<std::string>& parts, std::size_t count,
               const std::string& name) {
    Fd dir(::dup(root));
    for (std::size_t i = 0; i < count; ++i) {
        const char* c = parts[i].c_str();
        if (::mkdirat(dir.get(), c, 0755) != 0 && errno != EEXIST)
            memberFail(name, "cannot create folder " + parts[i] + ": " + std::strerror(errno));
        int next = ::openat(dir.get(), c, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (next < 0) {
            if (errno == ELOOP || errno == ENOTDIR)
                memberFail(name, "refused: " + parts[i] + " is a symbolic link or not a folder");
            memberFail(name, "cannot open folder " + parts[i] + ": " + std::strerror(errno));
        }
        dir = Fd(next);
    }
    return dir;
}

// The folder of the previous member a worker wrote: members of one folder usually follow each
// other, and opening the path component by component again for each would double the work.
struct FolderCache {
    std::vector<std::string> parts;
    Fd fd;
};

struct Shared {
    std::atomic<std::uint64_t> written{0};  // across the run, for the write-fault seam
    std::optional<std::uint64_t> failAfter;
};

void extractFile(const Archive& archive, const Entry& entry, int root, Shared& shared,
                 FolderCache& cache, const std::atomic<bool>& abort,
                 std::atomic<std::uint64_t>& produced) {
    const std::string& name = entry.info.name;
    std::string reason;
    std::vector<std::string> parts = memberComponents(name, reason);
    // Some tools store the archive's own root as "./"; it names the destination itself.
    if (parts.empty() && entry.info.isDirectory && reason == "name has no components") return;
    if (parts.empty()) memberFail(name, "refused: " + reason);
    if (entry.symlink) memberFail(name, "refused: symbolic links are not created");
    if (entry.info.isDirectory) {
        openFolders(root, parts, parts.size(), name);
        return;
    }
    if (entry.info.mode != 0 && (entry.info.mode & 0170000) != 0100000 &&
        (entry.info.mode & 0170000) != 0)
        memberFail(name, "refused: not a regular file (device, FIFO or socket entry)");
    std::string leaf = std::move(parts.back());
    parts.pop_back();
    if (cache.fd.get() < 0 || cache.parts != parts) {
        cache.fd = openFolders(root, parts, parts.size(), name);
        cache.parts = std::move(parts);
    }
    const Fd& dir = cache.fd;
    static std::atomic<unsigned> counter{0};
    std::string tmp(1, '.');
    tmp.append(leaf, 0, 200);
    tmp += ".tvtmp";
    tmp += std::to_string(::getpid());
    tmp += '-';
    tmp += std::to_string(counter.fetch_add(1));
    Fd out(::openat(dir.get(), tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                    0600));
    if (out.get() < 0) memberFail(name, std::string("cannot create file: ") + std::strerror(errno));
    try {
        archive.extract(
            entry,
            [&](const char* data, std::size_t n) {
                while (n > 0) {
                    std::size_t chunk = n;
                    if (shared.failAfter) {
                        std::uint64_t before = shared.written.load();
                        if (before >= *shared.failAfter) memberFail(name, std::strerror(ENOSPC));
                        chunk = static_cast<std::size_t>(
                            std::min<std::uint64_t>(chunk, *shared.failAfter - before));
                    }
                    ssize_t w = ::write(out.get(), data, chunk);
                    if (w < 0 && errno == EINTR) continue;
                    if (w < 0) memberFail(name, std::strerror(errno));
                    shared.written += static_cast<std::uint64_t>(w);
                    data += w;
                    n -= static_cast<std::size_t>(w);
                }
            },
            &abort, &produced);
        std::uint32_t mode = entry.info.mode & 0777;
        ::fchmod(out.get(), mode != 0 ? mode : 0644);
        struct timespec times[2];
        times[0].tv_sec = times[1].tv_sec = entry.info.modified;
        times[0].tv_nsec = times[1].tv_nsec = 0;
        ::futimens(out.get(), times);
        // Renaming replaces whatever had the name, a symlink included, without following it.
        if (::renameat(dir.get(), tmp.c_str(), dir.get(), leaf.c_str()) != 0)
            memberFail(name,
                       std::string("cannot replace the existing file: ") + std::strerror(errno));
    } catch (...) {
        ::unlinkat(dir.get(), tmp.c_str(), 0);
        throw;
    }
}

struct Slot {
    std::atomic<std::uint64_t> produced{0};
    bool done = false;
    std::string error;
};

// Folder entries get their times and permission bits once everything inside them is written,
// since writing a file changes its folder's time and a read-only folder would refuse the file.
void restoreFolderTimes(const std::vector<Entry>& entries, const std::vector<Slot>& slots,
                        int root) {
    for (std::size_t i = entries.size(); i-- > 0;) {
        const Entry& e = entries[i];
        if (!e.info.isDirectory || !slots[i].error.empty()) continue;
        std::string reason;
        std::vector<std::string> parts = memberComponents(e.info.name, reason);
        if (parts.empty()) continue;
        try {
            Fd dir = openFolders(root, parts, parts.size(), e.info.name);
            struct timespec times[2];
            times[0].tv_sec = times[1].tv_sec = e.info.modified;
            times[0].tv_nsec = times[1].tv_nsec = 0;
            ::futimens(dir.get(), times);
            if ((e.info.mode & 0777) != 0) ::fchmod(dir.get(), e.info.mode & 0777);
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
        return failed("cannot open " + request.destination.string() + ": " + std::strerror(errno));

    std::uint64_t total = 0;
    for (const Entry& e : entries) total += e.info.isDirectory ? 0 : e.info.size;
    std::uint64_t free = request.faults.freeSpace ? request.faults.freeSpace(request.destination)
                                                  : hostFreeSpace(request.destination);
    if (total > free) {
        return failed("not enough space in " + request.destination.string() +
                      ": the archive holds " + std::to_string(total) + " bytes, " +
                      std::to_string(free) + " are free");
    }

    Shared shared;
    shared.failAfter = request.faults.failWriteAfterBytes;
    std::atomic<bool> abort{false};
    std::atomic<std::size_t> nextIndex{0};
    std::vector<Slot> slots(entries.size());
    std::mutex mutex;
    std::condition_variable doneCv;
    int threads = request.threads > 0
                      ? request.threads
                      : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    // Workers run at most this far ahead of the member being reported, which bounds the files
    // a cancel leaves extracted beyond the last reported one.
    const std::size_t ahead = static_cast<std::size_t>(threads) * 8;
    std::atomic<std::size_t> reported{0};

    auto work = [&] {
        FolderCache cache;
        for (;;) {
            std::size_t i = nextIndex.fetch_add(1);
            if (i >= entries.size()) return;
            while (i > reported.load() + ahead && !abort.load())
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            std::string error;
            if (abort.load()) {
                error = entries[i].info.name + ": cancelled";
            } else {
                try {
                    extractFile(*archive, entries[i], root.get(), shared, cache, abort,
                                slots[i].produced);
                } catch (const std::exception& e) {
                    error = e.what();
                }
            }
            std::lock_guard lock(mutex);
            slots[i].done = true;
            slots[i].error = std::move(error);
            doneCv.notify_all();
        }
    };
    std::vector<std::thread> pool;
    for (int t = 0; t < threads; ++t) pool.emplace_back(work);

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
        std::filesystem::path host = request.destination / e.info.name;
        events.item(request.itemText ? request.itemText(host) : e.info.name);
        std::unique_lock lock(mutex);
        int lastFile = -1;
        while (!slots[i].done) {
            doneCv.wait_for(lock, std::chrono::milliseconds(100));
            if (slots[i].done) break;
            std::uint64_t p = slots[i].produced.load();
            lock.unlock();
            int pct = e.info.size ? static_cast<int>(p * 100 / e.info.size) : 0;
            if (pct != lastFile) events.fileProgress(lastFile = pct);
            if (overall(p, i)) {
                cancelled = true;
                abort = true;
            }
            lock.lock();
        }
        std::string error = slots[i].error;
        lock.unlock();
        if (!error.empty() && !cancelled) outcome.skipped.push_back(error);
        events.fileProgress(100);
        if (!e.info.isDirectory) doneBytes += e.info.size;
        reported = i + 1;
        if (!cancelled && overall(0, i + 1)) {
            cancelled = true;
            abort = true;
        }
    }
    if (entries.empty() && events.overallProgress(100)) cancelled = true;
    abort = abort.load() || cancelled;
    for (auto& t : pool) t.join();
    if (!cancelled) restoreFolderTimes(entries, slots, root.get());
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
