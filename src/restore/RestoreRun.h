#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "common/AppContext.h"
#include "restore/RestoreChecks.h"
#include "zip/ZipEngine.h"

namespace torvane {

// How a restore ended, as the progress window states it.
struct RestoreEnd {
    std::string status;                     // the final text of Lbl_BackupPath
    std::optional<MessageRequest> message;  // to show after a failed run
};

// One restore of an archive, minus the extraction itself: the log lines around it, the archive
// path, and the record of where the restore went. The progress window calls start(), runs
// zip::extractArchive with the request on a worker thread (adding nextDisk for split sets),
// then hands the outcome to finish() on its own thread.
class RestoreRun {
  public:
    // A named set wins over a browsed archive.
    RestoreRun(AppContext& context, RestoreScreen screen);

    // Logs the start, reads the set's recorded archive and builds the request. Throws
    // std::runtime_error when the archive or the destination is on no drive; finish() then
    // records that as the failure.
    zip::RestoreRequest start();
    // Logs the end of the run; after a run that restored, records the destination in the set.
    // `members` (the archive's listing) tells a skipped member's name from the engine's reason
    // when the name itself holds ": ".
    RestoreEnd finish(const zip::Outcome& outcome,
                      const std::vector<zip::MemberInfo>& members = {});

    const std::string& archivePath() const { return archivePath_; }

  private:
    std::string source() const;
    // The engine's reason with the host paths of the archive and destination as drive paths.
    std::string inDriveTerms(std::string reason) const;

    AppContext& context_;
    RestoreScreen screen_;
    std::string archivePath_;
    std::filesystem::path hostArchive_, hostDestination_;
};

}  // namespace torvane
