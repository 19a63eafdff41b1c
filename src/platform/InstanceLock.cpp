#include "InstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <system_error>

namespace torvane::platform {

InstanceLock::InstanceLock(const std::filesystem::path& folder, std::string_view executableName)
    : file_(folder / ("." + std::string(executableName) + ".lock")) {}

InstanceLock::~InstanceLock() {
    if (fd_ >= 0) ::close(fd_);
}

bool InstanceLock::acquire() {
    if (fd_ >= 0) return true;
    std::error_code ec;
    std::filesystem::create_directories(file_.parent_path(), ec);
    const int fd = ::open(file_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) throw std::system_error(errno, std::generic_category(), "Unable to open " + file_.string());
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    return true;
}

}  // namespace torvane::platform
