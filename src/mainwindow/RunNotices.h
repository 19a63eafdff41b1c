#pragma once

#include <string>

#include "backup/RunOutcome.h"
#include "common/AppContext.h"

namespace torvane {

// What a user who was not watching hears of an unattended run that failed or skipped files: a
// desktop notice, and the log by e-mail when the mail settings ask for it. A notice that cannot
// be delivered is recorded in the log and not tried again; how the run ended stays as it was.
// The mail goes out on a worker thread while events keep being handled, so that other starts
// handing over their sets are answered meanwhile.
void raiseFailureNotices(AppContext& context, const std::string& setName,
                         const RunOutcome& outcome);

}  // namespace torvane
