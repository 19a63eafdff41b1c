#include "RunOutcome.h"

namespace torvane {

RunOutcome RunOutcome::of(RunResult result, const std::string& status) {
    switch (result) {
        case RunResult::Success: return {Kind::Succeeded, "Successful Backup"};
        case RunResult::Cancelled: return {Kind::Cancelled, "Cancelled by User"};
        case RunResult::Skipped: return {Kind::CompletedWithErrors, status};
        case RunResult::Failed: break;
    }
    return failed(status);
}

}  // namespace torvane
