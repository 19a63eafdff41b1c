#pragma once

#include <string>

#include "backup/RunOutcome.h"
#include "common/AppContext.h"

namespace torvane {

// The desktop notice of an unattended run that went wrong.
struct NoticeText {
    std::string title;
    std::string body;
};
NoticeText failureNoticeText(const std::string& setName, const RunOutcome& outcome);

std::string failureMailSubject(const std::string& setName);

// Mails the log when the mail settings ask for it after a run that went wrong; the send and its
// outcome are recorded in the log like those of the E-Mail button. One attempt only.
void mailLogOnFailure(AppContext& context, const std::string& setName);

}  // namespace torvane
