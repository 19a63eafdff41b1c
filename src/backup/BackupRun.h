#pragma once

#include <optional>
#include <string>

#include "common/AppContext.h"
#include "zip/ZipEngine.h"

namespace torvane {

// How a run ended; an unattended run exits with this status.
enum class RunResult { Success = 0, Skipped = 1, Failed = 2, Cancelled = 3 };

// One backup of one set, minus the compression itself: the log lines around it, the archive
// path, and the record of where the archive went.
class BackupRun {
public:
    BackupRun(AppContext& context, std::string setName);

    // Logs the start, re-reads the set, takes the time stamp and logs the archive path.
    // Throws std::runtime_error when the set file cannot be read or the set's folders cannot be
    // reached; finish() then records the failure.
    zip::BackupRequest start();
    // The read-back of the archive once it is written; nothing when the set does not verify.
    const std::optional<zip::VerifyRequest>& verification() const { return verification_; }
    // Logs the end of the run; after a run that produced an archive that was not found damaged,
    // records it in the set for the restore. Returns the outcome as the progress window states it.
    std::string finish(const zip::Outcome& outcome, const std::optional<zip::Verification>& verified = {});
    // Failed until finish() says otherwise.
    RunResult result() const { return result_; }

    const std::string& archivePath() const { return archivePath_; }
    const std::string& setName() const { return setName_; }

    // "YYYYMMDD_HHNNSS" of a clock reading.
    static std::string timeStamp(const platform::LocalDateTime& t);

private:
    void log(const std::string& text);
    // After a successful time-stamped run, read back whole when the set verifies: the set's
    // backups beyond its Keep go.
    void removeBackupsBeyondKeep();

    AppContext& context_;
    std::string setName_;
    std::string setFile_;
    std::string archivePath_;
    std::string restoreFromDrive_;
    std::string restoreFileName_;
    std::string destination_;
    std::string keep_;  // the set's Keep; empty without time stamps, where nothing is removed
    std::optional<zip::VerifyRequest> verification_;
    RunResult result_ = RunResult::Failed;
};

}  // namespace torvane
