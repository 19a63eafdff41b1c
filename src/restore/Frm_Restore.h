#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/Frm_Progress.h"
#include "restore/RestoreRun.h"

namespace torvane {

// "Restoring Files...": extracts one archive into the chosen folder in the shared progress
// window. The protected folders have been renamed aside before the window opens.
class Frm_Restore : public Frm_Progress {
    Q_OBJECT
  public:
    // `members` is the archive's listing, which names the members the run skips. A listing that
    // failed (`listingFailure`) fails the run with that reason before anything is extracted: the
    // protected folders were planned without it.
    Frm_Restore(AppContext& context, RestoreScreen screen, std::vector<zip::MemberInfo> members,
                std::optional<std::string> listingFailure, QWidget* parent = nullptr);

    // Test seam: applied to the engine request before the run starts.
    void setRequestAdjuster(std::function<void(zip::RestoreRequest&)> adjust) {
        adjust_ = std::move(adjust);
    }

  protected:
    Job prepareRun() override;
    Ending endRun(const zip::Outcome& outcome) override;

  private:
    RestoreRun run_;
    std::vector<zip::MemberInfo> members_;
    std::optional<std::string> listingFailure_;
    std::function<void(zip::RestoreRequest&)> adjust_;
};

}  // namespace torvane
