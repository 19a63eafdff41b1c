#pragma once

#include <string>

#include "backup/BackupRun.h"

namespace torvane {

// How one unattended backup ended, for those who must hear of a run that went wrong.
struct RunOutcome {
    enum class Kind { Succeeded = 0, CompletedWithErrors = 1, Failed = 2, Cancelled = 3 };
    Kind kind = Kind::Failed;
    // The record that ends the run, such as "Backup Failed - Unable to locate C:\DATA\*.*".
    std::string reason;

    // The exit status of an unattended run, for cron, timers and scripts: 0 success, 1 skipped
    // files, 2 refused or failed, 3 cancelled or terminated.
    int exitStatus() const { return static_cast<int>(kind); }
    bool wentWrong() const { return kind == Kind::Failed || kind == Kind::CompletedWithErrors; }

    // From how a finished run ended and the line the window ended it with.
    static RunOutcome of(RunResult result, const std::string& status);
    static RunOutcome failed(const std::string& record) { return {Kind::Failed, record}; }
};

}  // namespace torvane
