#include "BackupChecks.h"

#include "backupsets/clsDrives.h"
#include "backupsets/clsFiles.h"
#include "backupsets/clsINI.h"
#include "platform/DriveType.h"

namespace torvane {

namespace {

MessageRequest refusal(const std::string& text, MsgIcon icon) {
    return {text, MsgButtons::Ok, icon, MsgAnswer::Ok, "Backup"};
}

std::string setFile(AppContext& context, const std::string& setName) {
    return context.host.programFolder() + "\\" + setName;
}

}  // namespace

std::optional<MessageRequest> interactiveBackupRefusal(AppContext& context, const BackupScreen& screen) {
    const std::string& nl = context.globals.sNewLine;
    if (screen.setName.empty())
        return refusal("Nothing has been selected to Backup." + nl + nl + "Please enter a valid Backup Set.",
                       MsgIcon::Exclamation);
    clsINI ini(context);
    ini.Read_INI(setFile(context, screen.setName));
    clsFiles files(context);
    // The source is the set's own folder, not the folder list: the list falls back to the drive
    // root when the folder is missing, and that root would pass.
    for (const std::string& folder : {screen.backupWhere, ini.Backup_Parts(ini.BackupFiles(), 1)}) {
        if (!files.Exist(folder, false))
            return refusal("Unable to continue with the Backup as " + folder + " does not appear to exist.",
                           MsgIcon::Exclamation);
    }
    const bool multiVolume = ini.MultiVolumeBackup() == "ON";
    const bool removable =
        clsDrives(context).VerifyDriveType(ini.Backup_Parts(ini.BackupToDrive(), 0), platform::kDriveRemovable);
    if (!multiVolume && removable)
        return refusal(std::string("Unable to continue as the Multi-Volume Flag is set to OFF ") +
                           "and a Backup File is about to be created on a " + "Removable Drive",
                       MsgIcon::Information);
    if (multiVolume && !removable)
        return refusal(std::string("Unable to continue as the Multi-Volume Flag is set to ON ") +
                           "and a Backup File is about to be created on a " + "Non-Removable Drive",
                       MsgIcon::Information);
    return std::nullopt;
}

MessageRequest backupConfirmation() {
    return {"Are you sure that you wish to start the backup now?", MsgButtons::YesNo, MsgIcon::None,
            MsgAnswer::No, "Torvane"};
}

std::optional<std::string> unattendedBackupRefusal(AppContext& context, const BackupScreen& screen) {
    clsINI ini(context);
    ini.Read_INI(setFile(context, screen.setName));
    clsFiles files(context);
    if (!files.Exist(screen.backupWhere, false)) return "Backup Failed - Unable to locate " + screen.backupWhere;
    if (!files.Exist(ini.Backup_Parts(ini.BackupFiles(), 1), false))
        return "Backup Failed - Unable to locate " + ini.BackupFiles();

    const std::string root = ini.Backup_Parts(ini.BackupToDrive(), 0);
    clsDrives drives(context);
    if (drives.VerifyDriveType(root, platform::kDriveCdRom)) return "Backup Failed - Cannot Backup to CDROM Drive " + root;
    if (drives.VerifyDriveType(root, platform::kDriveRamDisk)) return "Backup Failed - Cannot Backup to RAM Disk " + root;
    const bool removable = drives.VerifyDriveType(root, platform::kDriveRemovable);
    if (ini.MultiVolumeBackup() != "ON") {
        if (removable) return "Backup Failed - MultiVolume Flag NOT set for Removable Drive " + root;
        return std::nullopt;
    }
    if (!removable) return "Backup Failed - MultiVolume Flag set for Non-Removable Drive " + root;
    if (drives.FreeSpace(ini.BackupToDrive().substr(0, 1)) < 2000000.0)
        return std::string("Backup Failed - Unable to conduct a Backup on a MultiVolume Drive whilst Unattended");
    return std::nullopt;
}

}  // namespace torvane
