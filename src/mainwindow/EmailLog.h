#pragma once

#include "common/AppContext.h"
#include "mainwindow/MailSettings.h"

namespace torvane {

// The Log page's e-mail of the transaction log to the maker's support mailbox: the question,
// the records and the messages around one send. The log goes first, the previous period's
// "Torvane.Bak" second when it exists. Answers true when the message was sent.
bool emailLog(AppContext& context, const MailSettings& settings);

}  // namespace torvane
