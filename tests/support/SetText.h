#pragma once

#include <string>

namespace torvane::test {

// A backup set of the pattern `files` (drive path) with subfolders, backed up as `name` into
// C:\BACKUPS\ without time stamps or volumes.
inline std::string setText(const std::string& files, const std::string& name) {
    return "[BACKUP SOURCE]\r\nBackupFiles=" + files +
           "\r\nBackupSubDirectories=ON\r\n[DESTINATION]\r\nBackupFileName=" + name +
           "\r\nMultiVolumeBackup=OFF\r\nBackupToDrive=C:\\BACKUPS\\\r\nTimeBackup=OFF\r\n"
           "[RESTORE SOURCE]\r\nRestoreFromDrive=\r\nRestoreFileName=\r\n";
}

}  // namespace torvane::test
