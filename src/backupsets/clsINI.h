#pragma once

#include <array>
#include <string>

#include "common/AppContext.h"

namespace torvane {

// The in-memory image of one backup set file: nine values and the set options, kept as the
// strings they are.
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
    // Set options, in the set file's [OPTIONS] section. A set file without a key reads as the
    // option's default, so sets written before an option existed gain it; Create_INI writes none.
    // An option is a property here and a line in kOptions.
    TORVANE_INI_PROPERTY(Verify)
    // How many time-stamped backups are kept (empty or 0 keeps all), and what is left out.
    TORVANE_INI_PROPERTY(Keep)
    TORVANE_INI_PROPERTY(Exclude)
#undef TORVANE_INI_PROPERTY

    // Anything but OFF verifies: a mistyped value errs on the side of checking the backup.
    bool Verifies() const;

    // Writes a new set file of that name (such as DAILY.INI) in the program folder with the
    // default content, replacing any file of that name.
    void Create_INI(const std::string& sFileName);
    // Loads the nine values from a set file (drive path), missing ones as "", and the set
    // options, missing ones as their defaults. A missing file reads as empty; one that exists
    // but cannot be read throws TorvaneError ("File DAILY.INI cannot be read: <reason>.") and
    // leaves the values as they were.
    void Read_INI(const std::string& sFileName);
    // Checks the values before a save; shows the last failing reason and answers false.
    bool Validate_OnSave();
    // Writes the set options whose value differs from what the set file holds, key by key, so a
    // set gains no key its user never changed and keeps a hand-typed value nobody touched.
    void WriteOptions(const std::string& sFileName);
    // Rewrites the nine values of the file in upper case, the two folders with a trailing "\".
    void ConfirmBackslash(const std::string& sFileName);

    std::string Backup_Parts(const std::string& sPath, int iType) const;

private:
    struct Option {
        const char* key;
        const char* fallback;
        std::string clsINI::*value;
    };
    static const std::array<Option, 3> kOptions;

    AppContext& context_;
    std::string BackupFiles_, BackupSubDirectories_, BackupFileName_, MultiVolumeBackup_,
        BackupToDrive_, TimeBackup_, RestoreFromDrive_, RestoreFileName_, RestoreDestination_;
    std::string Verify_, Keep_, Exclude_;
    // Each option's value as the set file holds it (its default when the key is missing).
    std::array<std::string, kOptions.size()> onFile_;
};

}  // namespace torvane
