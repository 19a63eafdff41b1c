#include "zip/PendingFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <system_error>

namespace torvane::zip {
namespace {

// How an anonymous file gets a name. Linking the descriptor itself needs a recent kernel or a
// privilege; linking through /proc needs /proc. Which one works is a matter of the process, not
// of the folder, so it is found out once.
enum class LinkWay : int { Unknown, EmptyPath, ProcPath, None };
std::atomic<LinkWay> gLinkWay{LinkWay::Unknown};

int linkBy(LinkWay way, int fd, int dir, const char* name) {
    if (way == LinkWay::EmptyPath) return ::linkat(fd, "", dir, name, AT_EMPTY_PATH);
    std::string proc = "/proc/self/fd/" + std::to_string(fd);
    return ::linkat(AT_FDCWD, proc.c_str(), dir, name, AT_SYMLINK_FOLLOW);
}

std::string temporaryName(const std::string& leaf) {
    static const std::string pid = std::to_string(::getpid());
    static std::atomic<unsigned> counter{0};
    std::string name(1, '.');
    name.append(leaf, 0, 200);
    name += ".tvtmp";
    name += pid;
    name += '-';
    name += std::to_string(counter.fetch_add(1));
    return name;
}

// Asks to link a throw-away anonymous file as ".", a name that always exists: a way that works
// fails with EEXIST, while one that is not allowed fails on the file before it looks at the name.
// So nothing ever appears in the user's folder.
LinkWay probeLinkWay(int dir) {
    int fd = ::openat(dir, ".", O_WRONLY | O_TMPFILE | O_CLOEXEC, 0600);
    if (fd < 0) return LinkWay::Unknown;
    LinkWay found = LinkWay::None;
    for (LinkWay way : {LinkWay::EmptyPath, LinkWay::ProcPath}) {
        if (linkBy(way, fd, dir, ".") != 0 && errno == EEXIST) {
            found = way;
            break;
        }
    }
    ::close(fd);
    return found;
}

[[noreturn]] void fail(const char* what) {
    throw std::system_error(errno, std::generic_category(), what);
}

}  // namespace

PendingFile::PendingFile(int dir, std::string leaf, Strategy strategy)
    : dir_(dir), leaf_(std::move(leaf)) {
    if (strategy == Strategy::Auto) {
        LinkWay way = gLinkWay.load(std::memory_order_relaxed);
        if (way == LinkWay::Unknown) {
            way = probeLinkWay(dir_);
            if (way != LinkWay::Unknown) gLinkWay.store(way, std::memory_order_relaxed);
        }
        if (way == LinkWay::EmptyPath || way == LinkWay::ProcPath) {
            fd_ = ::openat(dir_, ".", O_WRONLY | O_TMPFILE | O_CLOEXEC, 0600);
            if (fd_ >= 0) {
                anonymous_ = true;
                return;
            }
            // Only a file system without anonymous files sends us to a temporary name.
            if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
                fail("cannot create file");
        }
    }
    openTemporaryName();
}

void PendingFile::openTemporaryName() {
    temporary_ = temporaryName(leaf_);
    fd_ = ::openat(dir_, temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                   0600);
    if (fd_ < 0) {
        temporary_.clear();
        fail("cannot create file");
    }
}

PendingFile::~PendingFile() {
    if (!published_ && !temporary_.empty()) ::unlinkat(dir_, temporary_.c_str(), 0);
    if (fd_ >= 0) ::close(fd_);
}

// Links by the way found to work, and by the other one should that be turned down here.
bool PendingFile::linkAnonymous(const char* name) {
    LinkWay way = gLinkWay.load(std::memory_order_relaxed);
    if (linkBy(way, fd_, dir_, name) == 0) return true;
    if (errno == EEXIST) return false;
    int first = errno;
    LinkWay other = way == LinkWay::EmptyPath ? LinkWay::ProcPath : LinkWay::EmptyPath;
    if (linkBy(other, fd_, dir_, name) == 0) return true;
    if (errno != EEXIST) errno = first;
    return false;
}

void PendingFile::publish() {
    if (anonymous_) {
        if (linkAnonymous(leaf_.c_str())) {
            published_ = true;
            return;
        }
        if (errno != EEXIST) fail("cannot name the file");
        // The name is taken: give the file a temporary name and rename it over the old one.
        temporary_ = temporaryName(leaf_);
        if (!linkAnonymous(temporary_.c_str())) {
            temporary_.clear();
            fail("cannot name the file");
        }
    }
    if (::renameat(dir_, temporary_.c_str(), dir_, leaf_.c_str()) != 0)
        fail("cannot replace the existing file");
    published_ = true;
}

void PendingFile::publishAs(std::string leaf) {
    leaf_ = std::move(leaf);
    publish();
}

}  // namespace torvane::zip
