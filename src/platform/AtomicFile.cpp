#include "AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <random>
#include <system_error>

namespace torvane::platform {

namespace {
std::function<void(const std::filesystem::path&)>& faultHook() {
    static std::function<void(const std::filesystem::path&)> hook;
    return hook;
}

struct ReadFault {
    std::function<bool(const std::filesystem::path&)> refuses;
    int error = 0;
};

ReadFault& readFault() {
    static ReadFault fault;
    return fault;
}

[[noreturn]] void throwErrno(int error, const std::string& what) {
    throw std::system_error(error, std::generic_category(), what);
}

// A new temporary beside the target, created with 0666 so that the umask applies as it would to
// any new file; reading the umask instead would change it for every thread for a moment.
int createTemporary(const std::filesystem::path& target, std::filesystem::path& temp) {
    static thread_local std::mt19937_64 random{std::random_device{}()};
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string suffix(6, ' ');
        for (char& c : suffix) c = kLetters[random() % (sizeof kLetters - 1)];
        std::string name = ".";
        name.append(target.filename().string()).append(".").append(suffix);
        temp = target.parent_path() / name;
        const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

void writeAll(int fd, std::string_view content) {
    size_t done = 0;
    while (done < content.size()) {
        const ssize_t n = ::write(fd, content.data() + done, content.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throwErrno(errno, "");
        done += static_cast<size_t>(n);
    }
}
}  // namespace

AtomicWriteFaultHook::AtomicWriteFaultHook(std::function<void(const std::filesystem::path&)> hook) {
    faultHook() = std::move(hook);
}

AtomicWriteFaultHook::~AtomicWriteFaultHook() { faultHook() = nullptr; }

FileReadFaultHook::FileReadFaultHook(std::function<bool(const std::filesystem::path&)> refuses,
                                     int error) {
    readFault() = {std::move(refuses), error};
}

FileReadFaultHook::~FileReadFaultHook() { readFault() = {}; }

void writeFileAtomically(const std::filesystem::path& target, std::string_view content) {
    std::filesystem::path temp;
    const int fd = createTemporary(target, temp);
    if (fd < 0) throwErrno(errno, "Unable to create a temporary file beside " + target.string());

    auto fail = [&](int error, const std::string& what) {
        ::close(fd);
        ::unlink(temp.c_str());
        throwErrno(error, what);
    };

    struct stat st {};
    if (::stat(target.c_str(), &st) == 0 && ::fchmod(fd, st.st_mode & 07777) != 0)
        fail(errno, "Unable to set permissions of " + temp.string());
    try {
        writeAll(fd, content);
    } catch (const std::system_error& e) {
        fail(e.code().value(), "Unable to write " + target.string());
    }
    if (::fsync(fd) != 0) fail(errno, "Unable to flush " + target.string());
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(temp.c_str());
        throwErrno(error, "Unable to write " + target.string());
    }
    try {
        if (faultHook()) faultHook()(target);
    } catch (...) {
        ::unlink(temp.c_str());
        throw;
    }
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        const int error = errno;
        ::unlink(temp.c_str());
        throwErrno(error, "Unable to replace " + target.string());
    }
}

std::string readWholeFile(const std::filesystem::path& file) {
    if (readFault().refuses && readFault().refuses(file))
        throwErrno(readFault().error, "Unable to open " + file.string());
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throwErrno(errno, "Unable to open " + file.string());
    std::string content;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            const int error = errno;
            ::close(fd);
            throwErrno(error, "Unable to read " + file.string());
        }
        if (n == 0) break;
        content.append(buffer, static_cast<size_t>(n));
    }
    ::close(fd);
    return content;
}

}  // namespace torvane::platform
