#pragma once

#include <functional>
#include <string>

#include "backup/RunOutcome.h"
#include "common/AppContext.h"

namespace torvane {

class BackupPage;

// One unattended backup of a named set on a backup page, as a scheduled start runs it: the set
// file is checked, then the page selects the set and presses its backup button. `context` is
// the run's own, with the set as its command line and prompts that show nothing. `mayStart` is
// asked just before the button is pressed; a run it stops counts as cancelled.
RunOutcome runUnattendedBackup(AppContext& context, BackupPage& page, const std::string& setName,
                               const std::function<bool()>& mayStart = {});

}  // namespace torvane
