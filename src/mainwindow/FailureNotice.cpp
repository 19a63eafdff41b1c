#include "FailureNotice.h"

#include "mainwindow/EmailLog.h"
#include "mainwindow/MailSettings.h"

namespace torvane {

NoticeText failureNoticeText(const std::string& setName, const RunOutcome& outcome) {
    const bool errors = outcome.kind == RunOutcome::Kind::CompletedWithErrors;
    return {"Backup " + setName + (errors ? " completed with errors" : " failed"), outcome.reason};
}

std::string failureMailSubject(const std::string& setName) {
    return "Torvane Log - Backup " + setName + " failed";
}

void mailLogOnFailure(AppContext& context, const std::string& setName) {
    const MailSettings settings = MailSettings::load(context.host.settingsFolder());
    if (settings.mailOnFailure) mailLog(context, settings, failureMailSubject(setName));
}

}  // namespace torvane
