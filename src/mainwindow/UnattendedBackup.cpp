#include "UnattendedBackup.h"

#include "backupsets/clsFiles.h"
#include "backupsets/clsINI.h"
#include "common/TorvaneError.h"
#include "common/clsLog.h"
#include "mainwindow/BackupPage.h"

namespace torvane {

namespace {

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
    try {
        clsINI(context).Read_INI(setFile);
    } catch (const TorvaneError& e) {
        return refused(context, "Unable to Start Backup - " + e.description());
    }
    page.selectBackupSet(QString::fromStdString(setName));
    if (mayStart && !mayStart()) return {RunOutcome::Kind::Cancelled, {}};
    page.Cmd_Backup_Click();
    return page.lastUnattendedRun();
}

}  // namespace torvane
