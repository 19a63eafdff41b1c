#pragma once

#include <functional>
#include <memory>

#include "backup/BackupRun.h"
#include "common/Frm_Progress.h"

namespace torvane {

// "Backing Up Files...": runs one backup of a set in the shared progress window.
class Frm_Backup : public Frm_Progress {
    Q_OBJECT
  public:
    Frm_Backup(AppContext& context, const QString& setName, bool unattended,
               QWidget* parent = nullptr);

    // Test seam: applied to the engine request before the run starts.
    void setRequestAdjuster(std::function<void(zip::BackupRequest&)> adjust) {
        adjust_ = std::move(adjust);
    }

  protected:
    Job prepareRun() override;
    Ending endRun(const zip::Outcome& outcome) override;

  private:
    QString setName_;
    std::unique_ptr<BackupRun> run_;
    std::function<void(zip::BackupRequest&)> adjust_;
};

}  // namespace torvane
