#include "Frm_Restore.h"

#include <stdexcept>

#include "common/TorvaneError.h"

namespace torvane {

namespace {
constexpr ProgressCaptions kRestoreCaptions{"Frm_Restore", "Restoring Files...",
                                            "Restoring Files.......", "Restore"};
}

Frm_Restore::Frm_Restore(AppContext& context, RestoreScreen screen,
                         std::vector<zip::MemberInfo> members,
                         std::optional<std::string> listingFailure, QWidget* parent)
    : Frm_Progress(context, kRestoreCaptions, false, parent),
      run_(context, std::move(screen)),
      members_(std::move(members)),
      listingFailure_(std::move(listingFailure)) {}

Frm_Progress::Job Frm_Restore::prepareRun() {
    zip::RestoreRequest request = run_.start();
    if (listingFailure_) throw std::runtime_error(*listingFailure_);
    request.nextDisk = diskRequest();
    if (adjust_) adjust_(request);
    return [request = std::move(request)](zip::Events& events) {
        return zip::extractArchive(request, events);
    };
}

Frm_Progress::Ending Frm_Restore::endRun(const zip::Outcome& outcome) {
    try {
        RestoreEnd end = run_.finish(outcome, members_);
        return {end.status, std::move(end.message)};
    } catch (const TorvaneError& e) {
        const std::string failed = "Restore Failed - " + e.description();
        return {"Restore Failed", MessageRequest{failed, MsgButtons::Ok, MsgIcon::Exclamation,
                                                 MsgAnswer::Ok, "Restore"}};
    }
}

}  // namespace torvane
