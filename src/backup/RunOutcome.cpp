#include "RunOutcome.h"

namespace torvane {

RunOutcome RunOutcome::fromStatus(const std::string& status) {
    if (status == "Backup Complete") return {Kind::Succeeded, "Successful Backup"};
    if (status == "Backup Cancelled by User") return {Kind::Cancelled, "Cancelled by User"};
    if (status.starts_with("Backup Completed with Errors"))
        return {Kind::CompletedWithErrors, status};
    return failed(status);
}

}  // namespace torvane
