#pragma once

#include <string>

namespace torvane {

// How one unattended backup ended, for those who must hear of a run that went wrong.
struct RunOutcome {
    enum class Kind { Succeeded, CompletedWithErrors, Failed, Cancelled };
    Kind kind = Kind::Failed;
    // The record that ends the run, such as "Backup Failed - Unable to locate C:\DATA\*.*".
    std::string reason;

    bool wentWrong() const { return kind == Kind::Failed || kind == Kind::CompletedWithErrors; }

    // From the line a finished run ends with. Anything but a clean success, a run with skipped
    // files or a cancel counts as a failure, so that a new way to fail is never taken for success.
    static RunOutcome fromStatus(const std::string& status);
    static RunOutcome failed(const std::string& record) { return {Kind::Failed, record}; }
};

}  // namespace torvane
