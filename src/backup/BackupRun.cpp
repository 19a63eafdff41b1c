#include "BackupRun.h"

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "backup/Retention.h"
#include "backupsets/SetOptions.h"
#include "backupsets/clsFiles.h"
#include "backupsets/clsINI.h"
#include "common/TorvaneError.h"
#include "common/clsLog.h"
#include "platform/PrintableText.h"

namespace torvane {

namespace {

// The engine names a skipped file as "host path: reason", and either part may hold ": ". The
// path is the longest such prefix that is still on disk, else the shortest.
std::string skippedFile(const platform::Host& host, const std::string& entry) {
    std::string path;
    for (size_t at = entry.find(": "); at != std::string::npos; at = entry.find(": ", at + 1)) {
        std::error_code ec;
        const std::string candidate = entry.substr(0, at);
        if (path.empty() || std::filesystem::exists(std::filesystem::symlink_status(candidate, ec))) path = candidate;
    }
    if (path.empty()) path = entry;
    return host.toDrivePath(path).value_or(path);
}

// A set path without a drive letter, such as \DATA\*.*, is on the program folder's drive.
std::string withDrive(const std::string& programFolder, const std::string& path) {
    if (path.empty() || (path.size() >= 2 && path[1] == ':')) return path;
    return programFolder.substr(0, 2) + (path[0] == '\\' ? "" : "\\") + path;
}

// `inner` is `outer` or a folder below it.
bool isWithin(const std::filesystem::path& inner, const std::filesystem::path& outer) {
    const std::filesystem::path rel = inner.lexically_normal().lexically_relative(outer.lexically_normal());
    return !rel.empty() && *rel.begin() != "..";
}

}  // namespace

BackupRun::BackupRun(AppContext& context, std::string setName)
    : context_(context),
      setName_(std::move(setName)),
      setFile_(context.host.programFolder() + "\\" + setName_) {}

std::string BackupRun::timeStamp(const platform::LocalDateTime& t) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d%02d%02d_%02d%02d%02d", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    return buf;
}

void BackupRun::log(const std::string& text) {
    clsLog(context_, LogFlavour::utility()).WriteToLog("Backup", true, text);
}

zip::BackupRequest BackupRun::start() {
    log("Starting Backup " + setName_);
    clsINI ini(context_);
    ini.Read_INI(setFile_);
    const platform::Host& host = context_.host;
    const std::string destination = withDrive(host.programFolder(), ini.BackupToDrive());
    if (ini.TimeBackup() == "ON") {
        const std::string stamp = timeStamp(context_.clock.now());
        archivePath_ = destination + stamp + "\\" + ini.BackupFileName() + ".zip";
        restoreFromDrive_ = destination + stamp + "\\";
    } else {
        archivePath_ = destination + ini.BackupFileName() + ".zip";
        restoreFromDrive_ = destination;
    }
    restoreFileName_ = ini.BackupFileName() + ".zip";
    destination_ = destination;
    keep_ = ini.TimeBackup() == "ON" ? ini.Keep() : std::string();
    log("Creating Backup File " + archivePath_);

    zip::BackupRequest request;
    const std::string files = withDrive(host.programFolder(), ini.BackupFiles());
    const std::string folder = ini.Backup_Parts(files, 1);
    const auto source = host.resolve(folder);
    const auto* drive = host.drives().find(files.empty() ? '\0' : files[0]);
    if (folder.empty() || !source || !drive) throw std::runtime_error("Unable to locate " + ini.BackupFiles());
    const auto archive = host.resolve(archivePath_);
    if (!archive) throw std::runtime_error("Unable to locate " + ini.BackupToDrive());

    request.sourceFolder = *source;
    request.pattern = ini.Backup_Parts(files, 2);
    request.recurse = ini.BackupSubDirectories() == "ON";
    request.exclude = ini.Exclude();
    const auto backups = host.resolve(destination);
    const bool stamped = ini.TimeBackup() == "ON";
    const auto stamps = backups && stamped ? stampFolders(*backups) : std::vector<std::filesystem::path>{};
    // A time-stamped run that was killed left its temporaries where no later run writes.
    for (const auto& stamp : stamps) zip::removeStaleTemporaries(stamp / restoreFileName_);
    // Earlier archives of a set kept inside its own source would go into every later one.
    if (request.recurse && backups && isWithin(*backups, *source)) {
        if (backups->lexically_normal() != source->lexically_normal()) {
            request.leaveOut = {*backups};
            log("Leaving out " + destination + " - it receives the Backups of " + setName_);
        } else if (stamped) {
            request.leaveOut = stamps;
            log("Leaving out the time-stamped folders of " + destination + " - they receive the Backups of " +
                setName_);
        }
    }
    request.nameBase = drive->hostRoot;
    // Every selected file lies below the source folder.
    request.itemText = host.drivePathNamer(*source);
    request.archive = *archive;
    request.multiVolume = ini.MultiVolumeBackup() == "ON";
    if (ini.Verifies()) {
        zip::VerifyRequest verify;
        verify.archive = request.archive;
        verify.itemText = [&host, base = drive->hostRoot](const std::string& member) {
            return host.toDrivePath(base / member).value_or(member);
        };
        // The end-to-end tests' way to damage the written archive before it is read back.
        if (const char* member = std::getenv("TORVANE_FAULT_FLIP_MEMBER")) {
            verify.afterWrite = [member = std::string(member)](const std::filesystem::path& archive) {
                zip::flipMemberByte(archive, member);
            };
        }
        verification_ = std::move(verify);
    }
    return request;
}

std::string BackupRun::finish(const zip::Outcome& outcome, const std::optional<zip::Verification>& verified) {
    using Status = zip::Outcome::Status;
    using Checked = zip::Verification::Status;
    if (outcome.status == Status::Cancelled) {
        log("Finished Backup " + setName_);
        log("Cancelled by User");
        result_ = RunResult::Cancelled;
        return "Backup Cancelled by User";
    }
    const bool damaged = verified && verified->status == Checked::Failed;
    std::string failure;
    if (outcome.status == Status::Failed) {
        failure = outcome.reason;
    } else if (damaged) {
        // A time-stamped set's previous archive is still whole: the restore keeps pointing at it.
        // A fault of the archive as a whole is named as the user knows the archive.
        const bool whole = verification_ &&
                           verified->member == platform::printable(verification_->archive.string());
        failure =
            "Verification: " + (whole ? archivePath_ : verified->member) + " - " + verified->reason;
    } else {
        try {
            clsFiles files(context_);
            files.WriteINI("RESTORE SOURCE", "RestoreFromDrive", restoreFromDrive_, setFile_);
            files.WriteINI("RESTORE SOURCE", "RestoreFileName", restoreFileName_, setFile_);
        } catch (const TorvaneError& e) {
            failure = "Unable to record the Backup in " + setName_ + ": " + e.description();
        }
    }
    for (const std::string& skipped : outcome.skipped) log("Unable to Backup " + skippedFile(context_.host, skipped));
    for (const std::string& changed : outcome.changed) {
        log("Unable to Backup " + context_.host.toDrivePath(changed).value_or(changed) +
            " - File changed while it was read");
    }
    log("Finished Backup " + setName_);
    if (outcome.status == Status::Success && verified && verified->status == Checked::Verified)
        log("Backup Verified - " + std::to_string(verified->files) + " file(s)");
    if (!failure.empty()) {
        log("Backup Failed - " + failure);
        result_ = RunResult::Failed;
        return "Backup Failed - " + failure;
    }
    if (verified && verified->status == Checked::Cancelled) {
        log("Cancelled by User");
        result_ = RunResult::Cancelled;
        return "Backup Cancelled by User";
    }
    if (const size_t errors = outcome.skipped.size() + outcome.changed.size(); errors > 0) {
        const std::string line = "Backup Completed with Errors - " + std::to_string(errors) + " file(s) skipped";
        log(line);
        // The older backups may hold the very files this one is missing.
        if (keepCount(keep_).value_or(0) > 0) log("Old Backups of " + setName_ + " kept - the Backup is incomplete");
        result_ = RunResult::Skipped;
        return line;
    }
    log("Successful Backup");
    result_ = RunResult::Success;
    // Older backups go only once this one is known to read back whole.
    if (!verification_ || (verified && verified->status == Checked::Verified))
        removeBackupsBeyondKeep();
    return "Backup Complete";
}

void BackupRun::removeBackupsBeyondKeep() {
    const auto keep = keepCount(keep_);
    if (!keep) {
        log("Old Backups of " + setName_ + " kept - Keep=" + keep_ + " is not a whole number");
        return;
    }
    const platform::Host& host = context_.host;
    const auto backups = host.resolve(destination_);
    if (*keep == 0 || !backups) return;
    // This run's folder stays even when the clock has gone back past older folders' names.
    std::vector<std::filesystem::path> spared;
    clsINI ini(context_);
    try {
        ini.Read_INI(setFile_);
    } catch (const TorvaneError& e) {
        // Without the set's recorded archive nothing tells which backup the restore still needs.
        log("Old Backups of " + setName_ + " kept - " + e.description());
        return;
    }
    for (const std::string& folder : {restoreFromDrive_, ini.RestoreFromDrive()})
        if (const auto path = folder.empty() ? std::nullopt : host.resolve(folder)) spared.push_back(*path);
    for (const Removal& r : removeOldBackups(*backups, restoreFileName_, *keep, spared)) {
        const std::string folder = host.toDrivePath(r.folder).value_or(r.folder.string()) + "\\";
        log(r.error.empty() ? "Removed Old Backup " + folder
                            : "Unable to Remove Old Backup " + folder + " - " + r.error);
    }
}

}  // namespace torvane
