#pragma once

#include <functional>

#include "common/AppContext.h"
#include "mainwindow/MailSettings.h"
#include "mainwindow/SmtpMailer.h"

namespace torvane {

// The Log page's e-mail of the transaction log to the maker's support mailbox: the question,
// the records and the messages around one send. The log goes first, the previous period's
// "Torvane.Bak" second when it exists. `busy` hears true while the message is on its way and
// false afterwards. Answers true when the message was sent.
bool emailLog(AppContext& context, const MailSettings& settings,
              const std::function<void(bool)>& busy = {});

// One send of the log under `subject` with its records, and no question or message: what the
// e-mail does once the user has said yes.
MailResult mailLog(AppContext& context, const MailSettings& settings, const std::string& subject,
                   const std::function<void(bool)>& busy = {});

}  // namespace torvane
