#pragma once

#include <functional>
#include <memory>
#include <optional>

#include "backup/BackupRun.h"
#include "common/Frm_Progress.h"

namespace torvane {

// "Backing Up Files...": runs one backup of a set in the shared progress window, then, when the
// set verifies, the archive's read-back as a second phase with the same bars and Cancel.
class Frm_Backup : public Frm_Progress {
    Q_OBJECT
  public:
    Frm_Backup(AppContext& context, const QString& setName, bool unattended,
               QWidget* parent = nullptr);

    // How the run ended, once it has; Failed before.
    RunResult result() const { return run_ ? run_->result() : RunResult::Failed; }
    // Test seam: applied to the engine request before the run starts.
    void setRequestAdjuster(std::function<void(zip::BackupRequest&)> adjust) {
        adjust_ = std::move(adjust);
    }
    // Test seam: applied to the read-back request of a set that verifies.
    void setVerifyAdjuster(std::function<void(zip::VerifyRequest&)> adjust) {
        adjustVerify_ = std::move(adjust);
    }

  protected:
    Job prepareRun() override;
    Ending endRun(const zip::Outcome& outcome) override;

  private:
    QString setName_;
    std::unique_ptr<BackupRun> run_;
    // Written by the worker, read by the window once the worker has ended.
    std::optional<zip::Verification> verified_;
    std::function<void(zip::BackupRequest&)> adjust_;
    std::function<void(zip::VerifyRequest&)> adjustVerify_;
};

}  // namespace torvane
