#include "ProcessStarter.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace torvane::platform {

namespace {

[[noreturn]] void failChild(int reportFd) {
    const int error = errno;
    [[maybe_unused]] const auto written = ::write(reportFd, &error, sizeof error);
    ::_exit(127);
}

}  // namespace

void HostProcessStarter::startDetached(const std::filesystem::path& program, const std::string& argument) {
    // Everything the children need is prepared here: after fork only async-signal-safe calls.
    const std::string programText = program.string();
    const std::string workingFolder = program.parent_path().string();
    char* const argv[] = {const_cast<char*>(programText.c_str()), const_cast<char*>(argument.c_str()), nullptr};

    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0)
        throw std::system_error(errno, std::generic_category(), "Unable to start " + programText);

    const pid_t middle = ::fork();
    if (middle < 0) {
        const int error = errno;
        ::close(report[0]);
        ::close(report[1]);
        throw std::system_error(error, std::generic_category(), "Unable to start " + programText);
    }
    if (middle == 0) {
        ::close(report[0]);
        if (::setsid() < 0) failChild(report[1]);
        const pid_t grandchild = ::fork();
        if (grandchild < 0) failChild(report[1]);
        if (grandchild > 0) ::_exit(0);
        if (!workingFolder.empty() && ::chdir(workingFolder.c_str()) != 0) failChild(report[1]);
        ::execv(programText.c_str(), argv);
        failChild(report[1]);
    }

    ::close(report[1]);
    int status = 0;
    while (::waitpid(middle, &status, 0) < 0 && errno == EINTR) {
    }
    int childError = 0;
    ssize_t got;
    do {
        got = ::read(report[0], &childError, sizeof childError);
    } while (got < 0 && errno == EINTR);
    ::close(report[0]);
    if (got == static_cast<ssize_t>(sizeof childError))
        throw std::system_error(childError, std::generic_category(), "Unable to start " + programText);
}

}  // namespace torvane::platform
