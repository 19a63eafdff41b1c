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
    std::optional<zip::VerifyRequest> verify = run_->verification();
    if (verify) {
        verify->nextDisk = request.nextDisk;
        if (adjustVerify_) adjustVerify_(*verify);
    }
    verified_.reset();
    return [this, request = std::move(request), verify = std::move(verify)](zip::Events& events) {
        zip::Outcome outcome = zip::createArchive(request, events);
        if (verify && outcome.status == zip::Outcome::Status::Success) {
            beginPhase("Verifying Files.......");
            verified_ = zip::verifyArchive(*verify, events);
        }
        return outcome;
    };
}

Frm_Progress::Ending Frm_Backup::endRun(const zip::Outcome& outcome) {
    std::string status;
    try {
        status = run_->finish(outcome, verified_);
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
