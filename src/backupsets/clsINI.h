#pragma once

#include <string>

#include "common/AppContext.h"

namespace torvane {

// The in-memory image of one backup set file: nine values and the options beyond them, kept as
// the strings they are.
class clsINI {
public:
    explicit clsINI(AppContext& context);

#define TORVANE_INI_PROPERTY(Name)                                   \
    const std::string& Name() const { return Name##_; }              \
    void Name(std::string value) { Name##_ = std::move(value); }
    TORVANE_INI_PROPERTY(BackupFiles)
    TORVANE_INI_PROPERTY(BackupSubDirectories)
    TORVANE_INI_PROPERTY(BackupFileName)
    TORVANE_INI_PROPERTY(MultiVolumeBackup)
    TORVANE_INI_PROPERTY(BackupToDrive)
    TORVANE_INI_PROPERTY(TimeBackup)
    TORVANE_INI_PROPERTY(RestoreFromDrive)
    TORVANE_INI_PROPERTY(RestoreFileName)
    TORVANE_INI_PROPERTY(RestoreDestination)
    // Options beyond the nine: the number of time-stamped backups kept, and what is left out.
    TORVANE_INI_PROPERTY(Keep)
    TORVANE_INI_PROPERTY(Exclude)
#undef TORVANE_INI_PROPERTY

    // Writes a new set file of that name (such as DAILY.INI) in the program folder with the
    // default content, replacing any file of that name.
    void Create_INI(const std::string& sFileName);
    // Loads the values from a set file (drive path); missing ones read as "".
    void Read_INI(const std::string& sFileName);
    // Checks the values before a save; shows the last failing reason and answers false.
    bool Validate_OnSave();
    // Rewrites the nine values of the file in upper case, the two folders with a trailing "\".
    void ConfirmBackslash(const std::string& sFileName);

    std::string Backup_Parts(const std::string& sPath, int iType) const;

private:
    AppContext& context_;
    std::string BackupFiles_, BackupSubDirectories_, BackupFileName_, MultiVolumeBackup_,
        BackupToDrive_, TimeBackup_, RestoreFromDrive_, RestoreFileName_, RestoreDestination_;
    std::string Keep_, Exclude_;
};

}  // namespace torvane
