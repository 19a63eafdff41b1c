#include "UnattendedBackup.h"

#include <optional>
#include <system_error>

#include "backupsets/clsFiles.h"
#include "common/clsLog.h"
#include "mainwindow/BackupPage.h"
#include "platform/ProfileFile.h"

namespace torvane {

namespace {

// Why the set file cannot be read, in the host's words without its path; empty when it can.
std::optional<std::string> unreadableReason(const platform::Host& host,
                                            const std::string& setFile) {
    const auto file = host.resolve(setFile);
    if (!file) return std::nullopt;
    try {
        platform::ProfileFile(*file).load();
    } catch (const std::system_error& e) {
        return e.code().message();
    }
    return std::nullopt;
}

RunOutcome refused(AppContext& context, const std::string& record) {
    clsLog(context, LogFlavour::utility()).WriteToLog("Backup", true, record);
    return RunOutcome::failed(record);
}

}  // namespace

RunOutcome runUnattendedBackup(AppContext& context, BackupPage& page, const std::string& setName,
                               const std::function<bool()>& mayStart) {
    const std::string setFile = context.host.programFolder() + "\\" + setName;
    if (!clsFiles(context).Exist(setFile, true))
        return refused(context, "Unable to Start Backup - File " + setName + " does not exist.");
    // Read as empty, the set would fail later for a reason that is not the real one.
    if (const auto reason = unreadableReason(context.host, setFile))
        return refused(context, "Unable to Start Backup - File " + setName +
                                    " cannot be read: " + *reason + ".");
    page.selectBackupSet(QString::fromStdString(setName));
    if (mayStart && !mayStart()) return {RunOutcome::Kind::Cancelled, {}};
    page.Cmd_Backup_Click();
    return page.lastUnattendedRun();
}

}  // namespace torvane
