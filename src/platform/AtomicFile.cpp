#include "AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <system_error>
#include <vector>

namespace torvane::platform {

namespace {
std::function<void(const std::filesystem::path&)>& faultHook() {
    static std::function<void(const std::filesystem::path&)> hook;
    return hook;
}

[[noreturn]] void throwErrno(const std::string& what) {
    throw std::system_error(errno, std::generic_category(), what);
}
}  // namespace

AtomicWriteFaultHook::AtomicWriteFaultHook(std::function<void(const std::filesystem::path&)> hook) {
    faultHook() = std::move(hook);
}

AtomicWriteFaultHook::~AtomicWriteFaultHook() { faultHook() = nullptr; }

void writeFileAtomically(const std::filesystem::path& target, std::string_view content) {
    const std::string pattern = (target.parent_path() / ("." + target.filename().string() + ".XXXXXX")).string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkstemp(name.data());
    if (fd < 0) throwErrno("Unable to create a temporary file beside " + target.string());
    const std::filesystem::path temp(name.data());

    auto fail = [&](const std::string& what) {
        const int saved = errno;
        ::close(fd);
        ::unlink(temp.c_str());
        errno = saved;
        throwErrno(what);
    };

    // Keep the permissions of the file being replaced; a new file gets the usual 0666 & ~umask.
    struct stat st {};
    mode_t mode;
    if (::stat(target.c_str(), &st) == 0) {
        mode = st.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    if (::fchmod(fd, mode) != 0) fail("Unable to set permissions of " + temp.string());

    size_t done = 0;
    while (done < content.size()) {
        const ssize_t n = ::write(fd, content.data() + done, content.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            fail("Unable to write " + target.string());
        }
        done += static_cast<size_t>(n);
    }
    if (::fsync(fd) != 0) fail("Unable to flush " + target.string());
    if (::close(fd) != 0) {
        const int saved = errno;
        ::unlink(temp.c_str());
        errno = saved;
        throwErrno("Unable to write " + target.string());
    }
    try {
        if (faultHook()) faultHook()(target);
    } catch (...) {
        ::unlink(temp.c_str());
        throw;
    }
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        const int saved = errno;
        ::unlink(temp.c_str());
        errno = saved;
        throwErrno("Unable to replace " + target.string());
    }
}

std::string readWholeFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) throwErrno("Unable to open " + file.string());
    std::ostringstream buffer;
    buffer << in.rdbuf();
    if (in.bad()) throwErrno("Unable to read " + file.string());
    return buffer.str();
}

}  // namespace torvane::platform
