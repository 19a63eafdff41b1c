#include "BackupRun.h"

#include <cstdio>
#include <stdexcept>

#include "backupsets/clsFiles.h"
#include "backupsets/clsINI.h"
#include "common/TorvaneError.h"
#include "common/clsLog.h"

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
    if (ini.TimeBackup() == "ON") {
        const std::string stamp = timeStamp(context_.clock.now());
        archivePath_ = ini.BackupToDrive() + stamp + "\\" + ini.BackupFileName() + ".zip";
        restoreFromDrive_ = ini.BackupToDrive() + stamp + "\\";
    } else {
        archivePath_ = ini.BackupToDrive() + ini.BackupFileName() + ".zip";
        restoreFromDrive_ = ini.BackupToDrive();
    }
    restoreFileName_ = ini.BackupFileName() + ".zip";
    log("Creating Backup File " + archivePath_);

    const platform::Host& host = context_.host;
    zip::BackupRequest request;
    const std::string folder = ini.Backup_Parts(ini.BackupFiles(), 1);
    const auto source = host.resolve(folder);
    const auto* drive = host.drives().find(ini.BackupFiles().empty() ? '\0' : ini.BackupFiles()[0]);
    if (folder.empty() || !source || !drive) throw std::runtime_error("Unable to locate " + ini.BackupFiles());
    const auto archive = host.resolve(archivePath_);
    if (!archive) throw std::runtime_error("Unable to locate " + ini.BackupToDrive());

    request.sourceFolder = *source;
    request.pattern = ini.Backup_Parts(ini.BackupFiles(), 2);
    request.recurse = ini.BackupSubDirectories() == "ON";
    request.nameBase = drive->hostRoot;
    request.itemText = [&host](const std::filesystem::path& p) {
        return host.toDrivePath(p).value_or(p.string());
    };
    request.archive = *archive;
    request.multiVolume = ini.MultiVolumeBackup() == "ON";
    return request;
}

std::string BackupRun::finish(const zip::Outcome& outcome) {
    using Status = zip::Outcome::Status;
    if (outcome.status == Status::Cancelled) {
        log("Finished Backup " + setName_);
        log("Cancelled by User");
        return "Backup Cancelled by User";
    }
    std::string failure;
    if (outcome.status == Status::Failed) {
        failure = outcome.reason;
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
    log("Finished Backup " + setName_);
    if (!failure.empty()) {
        log("Backup Failed - " + failure);
        return "Backup Failed - " + failure;
    }
    if (!outcome.skipped.empty()) {
        const std::string line =
            "Backup Completed with Errors - " + std::to_string(outcome.skipped.size()) + " file(s) skipped";
        log(line);
        return line;
    }
    log("Successful Backup");
    return "Backup Complete";
}

}  // namespace torvane
