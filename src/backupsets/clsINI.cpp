#include "clsINI.h"

#include <stdexcept>

#include "backupsets/SetOptions.h"
#include "backupsets/clsFiles.h"
#include "backupsets/clsString.h"
#include "common/TorvaneError.h"
#include "common/VersionText.h"
#include "platform/AsciiCase.h"
#include "platform/AtomicFile.h"

namespace torvane {

namespace {
const char* const kSource = "BACKUP SOURCE";
const char* const kDestination = "Destination";
const char* const kRestoreSource = "RESTORE SOURCE";
const char* const kRestoreDestination = "RESTORE DESTINATION";
const char* const kOptionsSection = "OPTIONS";

bool isSwitch(const std::string& v) { return v == "ON" || v == "OFF"; }
}  // namespace

const std::array<clsINI::Option, 3> clsINI::kOptions = {{
    {"Verify", "ON", &clsINI::Verify_},
    {"Keep", "", &clsINI::Keep_},
    {"Exclude", "", &clsINI::Exclude_},
}};

clsINI::clsINI(AppContext& context) : context_(context) {}

bool clsINI::Verifies() const { return !platform::iequals(Verify_, "OFF"); }

std::string clsINI::Backup_Parts(const std::string& sPath, int iType) const {
    return backupParts(context_.host.programFolder(), sPath, iType);
}

void clsINI::Create_INI(const std::string& sFileName) {
    wrapErrors("clsINI:Create_INI Method", [&] {
        const std::string programFolder = context_.host.programFolder();
        const std::string root = platform::asciiUpper(programFolder.substr(0, 2)) + "\\";
        if (sFileName.size() < 4) throw std::invalid_argument("Invalid procedure call or argument");
        const std::string setName = platform::asciiUpper(sFileName.substr(0, sFileName.size() - 4));
        const std::string& nl = context_.globals.sNewLine;

        std::string& b = context_.globals.sBuffer;
        b.clear();
        for (const std::string& line : FileBanner()) b += line + nl;
        for (const std::string& line : {
                 std::string("[BACKUP SOURCE]"),
                 "BackupFiles=" + root + "*.*",
                 std::string("BackupSubDirectories=OFF"),
                 std::string(),
                 std::string("[DESTINATION]"),
                 "BackupFileName=" + setName,
                 std::string("MultiVolumeBackup=ON"),
                 "BackupToDrive=" + root,
                 std::string("TimeBackup=ON"),
                 std::string(),
                 std::string("[RESTORE SOURCE]"),
                 std::string("RestoreFromDrive="),
                 std::string("RestoreFileName="),
                 std::string(),
                 std::string("[RESTORE DESTINATION]"),
                 std::string("RestoreDestination="),
             })
            b += line + nl;
        const auto file = context_.host.resolve(programFolder + "\\" + sFileName);
        if (!file) throw std::runtime_error("Path not found: " + programFolder);
        platform::writeFileAtomically(*file, b + nl);
    });
}

void clsINI::Read_INI(const std::string& sFileName) {
    const platform::ProfileDocument set = clsFiles(context_).LoadINI(sFileName);
    const auto value = [&set](const char* section, const char* key) {
        return clsFiles::ReadINI(set, section, key);
    };
    BackupFiles_ = value(kSource, "BackupFiles");
    BackupSubDirectories_ = value(kSource, "BackupSubDirectories");
    BackupFileName_ = value(kDestination, "BackupFileName");
    MultiVolumeBackup_ = value(kDestination, "MultiVolumeBackup");
    BackupToDrive_ = value(kDestination, "BackupToDrive");
    TimeBackup_ = value(kDestination, "TimeBackup");
    RestoreFromDrive_ = value(kRestoreSource, "RestoreFromDrive");
    RestoreFileName_ = value(kRestoreSource, "RestoreFileName");
    RestoreDestination_ = value(kRestoreDestination, "RestoreDestination");
    for (std::size_t i = 0; i < kOptions.size(); ++i) {
        const Option& option = kOptions[i];
        std::string read = value(kOptionsSection, option.key);
        this->*option.value = read.empty() ? option.fallback : std::move(read);
        onFile_[i] = this->*option.value;
    }
}

void clsINI::WriteOptions(const std::string& sFileName) {
    clsFiles files(context_);
    for (std::size_t i = 0; i < kOptions.size(); ++i) {
        const std::string& value = this->*kOptions[i].value;
        if (value == onFile_[i]) continue;
        files.WriteINI(kOptionsSection, kOptions[i].key, value, sFileName);
        onFile_[i] = value;
    }
}

bool clsINI::Validate_OnSave() {
    bool result = true;
    std::string& message = context_.globals.sMessage;
    message.clear();
    const auto rule = [&](bool fails, const char* reason) {
        if (!fails) return;
        result = false;
        message = reason;
    };
    rule(BackupFiles_.empty(), "There are no Files Selected to Backup.");
    rule(!isSwitch(BackupSubDirectories_), "BackupSubDirectories does not indicate 'ON' or 'OFF'.");
    rule(BackupFileName_.empty(), "There is no name for the Backup File.");
    rule(!isSwitch(MultiVolumeBackup_), "MultiVolumeBackup does not indicate 'ON' or 'OFF'.");
    rule(BackupToDrive_.empty(), "There is no Drive for the Backup File.");
    rule(!isSwitch(TimeBackup_), "TimeBackup does not indicate 'ON' or 'OFF'.");
    rule(!keepCount(Keep_), "Keep is not a whole number.");
    if (!message.empty()) {
        context_.prompts.message({"Unable to Save this file:\r\nReason: " + message, MsgButtons::Ok,
                                  MsgIcon::Exclamation, MsgAnswer::Ok, "INI Validation"});
    }
    return result;
}

void clsINI::ConfirmBackslash(const std::string& sFileName) {
    Read_INI(sFileName);
    BackupToDrive_ = clsString::Backslash(BackupToDrive_);
    if (!RestoreFromDrive_.empty()) RestoreFromDrive_ = clsString::Backslash(RestoreFromDrive_);
    for (std::string* v : {&BackupFiles_, &BackupSubDirectories_, &BackupFileName_, &MultiVolumeBackup_,
                           &BackupToDrive_, &TimeBackup_, &RestoreFromDrive_, &RestoreFileName_,
                           &RestoreDestination_})
        *v = platform::asciiUpper(*v);
    clsFiles files(context_);
    files.WriteINI(kSource, "BackupFiles", BackupFiles_, sFileName);
    files.WriteINI(kSource, "BackupSubDirectories", BackupSubDirectories_, sFileName);
    files.WriteINI(kDestination, "BackupFileName", BackupFileName_, sFileName);
    files.WriteINI(kDestination, "MultiVolumeBackup", MultiVolumeBackup_, sFileName);
    files.WriteINI(kDestination, "BackupToDrive", BackupToDrive_, sFileName);
    files.WriteINI(kDestination, "TimeBackup", TimeBackup_, sFileName);
    files.WriteINI(kRestoreSource, "RestoreFromDrive", RestoreFromDrive_, sFileName);
    files.WriteINI(kRestoreSource, "RestoreFileName", RestoreFileName_, sFileName);
    files.WriteINI(kRestoreDestination, "RestoreDestination", RestoreDestination_, sFileName);
}

}  // namespace torvane
