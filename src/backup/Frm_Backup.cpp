#include "Frm_Backup.h"

#include "common/TorvaneError.h"

namespace torvane {

namespace {
constexpr ProgressCaptions kBackupCaptions{"Frm_Backup", "Backing Up Files...",
                                           "Backing Up Files.......", "Backup"};
}

Frm_Backup::Frm_Backup(AppContext& context, const QString& setName, bool unattended,
                       QWidget* parent)
    : Frm_Progress(context, kBackupCaptions, unattended, parent), setName_(setName) {}

Frm_Progress::Job Frm_Backup::prepareRun() {
    run_ = std::make_unique<BackupRun>(context_, setName_.toStdString());
    zip::BackupRequest request = run_->start();
    request.nextDisk = diskRequest();
    if (adjust_) adjust_(request);
    return [request = std::move(request)](zip::Events& events) {
        return zip::createArchive(request, events);
    };
}

Frm_Progress::Ending Frm_Backup::endRun(const zip::Outcome& outcome) {
    std::string status;
    try {
        status = run_->finish(outcome);
    } catch (const TorvaneError& e) {
        status = "Backup Failed - " + e.description();
    }
    Ending ending{status, std::nullopt};
    if (outcome.status == zip::Outcome::Status::Failed || status.rfind("Backup Failed", 0) == 0)
        ending.message =
            MessageRequest{status, MsgButtons::Ok, MsgIcon::Exclamation, MsgAnswer::Ok, "Backup"};
    return ending;
}

}  // namespace torvane
