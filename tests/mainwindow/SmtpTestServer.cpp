#include "SmtpTestServer.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace torvane::test {

SmtpTestServer::SmtpTestServer(Mode mode) : mode_(mode) {
    static const char* const names[] = {"open", "login", "refuse", "starttls", "tls"};
    const std::string modeName = names[static_cast<int>(mode)];
    const std::string python = TORVANE_SMTP_PYTHON;
    const std::string script = TORVANE_SMTP_SCRIPT;
    const std::string out = dir_.path().string();
    if (python.empty())
        throw std::runtime_error("no python3 with aiosmtpd was found; run scripts/setup");
    std::vector<char*> argv = {const_cast<char*>(python.c_str()), const_cast<char*>(script.c_str()),
                               const_cast<char*>(out.c_str()), const_cast<char*>(modeName.c_str()),
                               nullptr};
    if (::posix_spawn(&pid_, python.c_str(), nullptr, nullptr, argv.data(), environ) != 0)
        throw std::runtime_error("cannot start " + python);
    // The server writes its port once it listens; an early exit means it could not start. The
    // bound only keeps a broken interpreter from hanging the run.
    const auto portFile = dir_.path() / "port";
    for (int tries = 0; !std::filesystem::exists(portFile); ++tries) {
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            throw std::runtime_error("the SMTP test server ended before listening");
        }
        if (tries == 3000) {
            stop();
            throw std::runtime_error("the SMTP test server did not start listening");
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    port_ = std::stoi(readFile(portFile));
}

SmtpTestServer::~SmtpTestServer() { stop(); }

void SmtpTestServer::stop() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
}

std::vector<ReceivedMail> SmtpTestServer::received() const {
    std::vector<ReceivedMail> mails;
    for (int n = 1; std::filesystem::exists(dir_ / std::to_string(n)); ++n) {
        const auto folder = dir_ / std::to_string(n);
        ReceivedMail mail;
        std::istringstream summary(readFile(folder / "summary"));
        for (std::string line; std::getline(summary, line);) {
            const size_t eq = line.find('=');
            if (eq == std::string::npos) continue;
            const std::string key = line.substr(0, eq);
            const std::string value = line.substr(eq + 1);
            if (key == "attachment") {
                mail.attachmentNames.push_back(value);
                mail.attachments.push_back(readFile(
                    folder / ("attachment" + std::to_string(mail.attachments.size() + 1))));
            } else {
                mail.fields[key] = value;
            }
        }
        mails.push_back(std::move(mail));
    }
    return mails;
}

}  // namespace torvane::test
