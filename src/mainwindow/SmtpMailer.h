#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "mainwindow/MailSettings.h"

namespace torvane {

struct MailAttachment {
    std::string name;  // the file name the recipient sees
    std::filesystem::path file;
};

struct MailMessage {
    std::string subject;
    std::string text;
    std::vector<MailAttachment> attachments;  // in this order
};

// How a send ended. `signedOn` tells whether the server had accepted the connection and any
// login before the failure; `code` and `reason` are the mail library's error number and text.
struct MailResult {
    bool sent = false;
    bool signedOn = false;
    int code = 0;
    std::string reason;
};

// Sends one message with its attachments as a MIME message over SMTP, from the settings'
// sender to the settings' recipient, without any dialog. Blocks until the server has answered.
// `certificateFile` (a host path) replaces the system's authorities when not empty.
MailResult sendMail(const MailSettings& settings, const MailMessage& message,
                    const std::filesystem::path& certificateFile = {});

}  // namespace torvane
