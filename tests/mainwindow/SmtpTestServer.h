#pragma once

#include <sys/types.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "TempDir.h"

namespace torvane::test {

// What the test server saved of one message it accepted.
struct ReceivedMail {
    std::map<std::string, std::string> fields;  // from, rcpt, login, subject, to, text
    std::vector<std::string> attachmentNames;
    std::vector<std::string> attachments;  // decoded bytes, in message order
};

// A real SMTP server on a free loopback port, run as a child process for one test.
class SmtpTestServer {
  public:
    enum class Mode { Open, Login, Refuse, StartTls, Tls };
    explicit SmtpTestServer(Mode mode = Mode::Open);
    ~SmtpTestServer();
    SmtpTestServer(const SmtpTestServer&) = delete;
    SmtpTestServer& operator=(const SmtpTestServer&) = delete;

    std::string url() const {
        return std::string(mode_ == Mode::Tls ? "smtps" : "smtp") +
               "://127.0.0.1:" + std::to_string(port_);
    }
    // The server's own certificate, in the TLS modes.
    std::filesystem::path certificate() const { return dir_ / "server.pem"; }
    void stop();
    std::vector<ReceivedMail> received() const;

  private:
    TempDir dir_;
    Mode mode_;
    pid_t pid_ = -1;
    int port_ = 0;
};

}  // namespace torvane::test
