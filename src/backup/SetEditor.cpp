#include "SetEditor.h"

#include <system_error>

#include "backupsets/SetOptions.h"
#include "backupsets/clsDrives.h"
#include "backupsets/clsFiles.h"
#include "backupsets/clsString.h"
#include "platform/AsciiCase.h"
#include "platform/DriveType.h"

namespace torvane {

namespace {

MessageRequest exclamation(const std::string& text, const std::string& title) {
    return {text, MsgButtons::Ok, MsgIcon::Exclamation, MsgAnswer::Ok, title};
}

}  // namespace

std::string optionsLine(const std::string& subDirs, const std::string& multiVolume, const std::string& time) {
    return "SubDir=" + subDirs + ", " + "MultiVolume=" + multiVolume + ", " + "Time=" + time;
}

SetView showSet(AppContext& context, const std::string& setName, bool unattended) {
    const std::string programFolder = context.host.programFolder();
    const std::string& nl = context.globals.sNewLine;
    clsINI ini(context);
    // With no set selected the page shows an empty one.
    if (!setName.empty()) ini.Read_INI(programFolder + "\\" + setName);
    clsFiles files(context);
    SetView view;
    const std::string where = clsString::Backslash(ini.BackupToDrive());
    const std::string programRoot = programFolder.substr(0, 2) + "\\";

    const bool sourceMissing = !files.Exist(ini.Backup_Parts(ini.BackupFiles(), 0), false);
    if (sourceMissing) {
        view.backupWhere = where;
        if (unattended) {
            view.stopped = true;
            return view;
        }
        view.messages.push_back(exclamation("You have selected a file whereupon files from " + ini.BackupFiles() +
                                                " are to backed up.  Torvane cannot locate " + ini.BackupFiles() +
                                                nl + nl,
                                            "Backup"));
    }
    if (!files.Exist(ini.BackupToDrive(), false)) {
        view.backupWhere = where;
        if (unattended) {
            view.stopped = true;
            return view;
        }
        view.messages.push_back(exclamation("You have selected to backup files to " + ini.BackupToDrive() +
                                                " are to backed up.  Torvane cannot locate " + ini.BackupToDrive() +
                                                nl + nl + "If the Drive Selected is a Removable Drive " +
                                                "then place a Disk into the Drive Now.",
                                            "Backup"));
    }
    if (sourceMissing) {
        view.driveRoot = programRoot;
        view.folder = programFolder;
    } else {
        view.driveRoot = ini.Backup_Parts(ini.BackupFiles(), 0);
        view.folder = ini.Backup_Parts(ini.BackupFiles(), 1);
    }
    view.filesToBackup = ini.Backup_Parts(ini.BackupFiles(), 2);
    view.backupFileName = ini.BackupFileName();
    view.backupWhere = where;
    view.options = optionsLine(ini.BackupSubDirectories(), ini.MultiVolumeBackup(), ini.TimeBackup());
    view.exclusions = ini.Exclude();
    return view;
}

std::vector<std::string> listSetFiles(AppContext& context) {
    std::vector<std::string> names;
    const auto folder = context.host.resolve(context.host.programFolder());
    if (!folder) return names;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(*folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeEc;
        if (!it->is_regular_file(typeEc)) continue;
        const std::string name = it->path().filename().string();
        if (name.size() > 4 && platform::iequals(name.substr(name.size() - 4), ".INI")) names.push_back(name);
    }
    return names;
}

std::string newSetFileName(const std::string& answer) {
    if (answer.size() >= 4 && platform::asciiUpper(answer.substr(answer.size() - 4)) == ".INI") return answer;
    return answer + ".INI";
}

MessageRequest setExistsMessage() {
    return exclamation(std::string("Unable to Save the Configuration File as it ") + "already exists.", "Backup");
}

std::string recordSourceFolder(AppContext& context, const std::string& setName, const std::string& folder,
                               const std::string& pattern) {
    const std::string used = pattern.empty() ? "*.*" : pattern;
    clsFiles(context).WriteINI("BACKUP SOURCE", "BackupFiles", clsString::Backslash(folder) + used,
                               context.host.programFolder() + "\\" + setName);
    return used;
}

std::variant<MessageRequest, OptionsSaved> saveOptions(AppContext& context, clsINI& ini, const std::string& setFile,
                                                       OptionsForm& form, const std::string& backupWhere) {
    const std::string& nl = context.globals.sNewLine;
    if (form.name.empty()) return exclamation("Unable to Save as no Backup Name has been entered.", "Backup");
    if (form.multiVolume && context.host.driveType(backupWhere.substr(0, 3)) != platform::kDriveRemovable) {
        return exclamation(std::string("Unable to Save as you have selected the Multi Volume ") +
                               "flag on a Non-Removable Drive." + nl + nl +
                               "The Non-Removable Drives on this machine are;" + nl +
                               clsDrives(context).ShowDrives(platform::kDriveFixed),
                           "Backup");
    }
    const auto changed = [](const std::optional<std::string>& field, const std::string& was) {
        return field && *field != was;
    };
    const bool keepChanged = changed(form.keep, ini.Keep());
    if (keepChanged && !keepCount(*form.keep))
        return exclamation("Unable to Save as Keep is not a whole number.", "Backup");
    if (form.pattern.empty()) form.pattern = "*.*";
    const auto onOff = [](bool b) { return std::string(b ? "ON" : "OFF"); };
    ini.TimeBackup(onOff(form.time));
    ini.MultiVolumeBackup(onOff(form.multiVolume));
    ini.BackupSubDirectories(onOff(form.subDirs));
    // Set options change only when the user changed them, so a set gains no key it never had.
    if (form.verify != ini.Verifies()) ini.Verify(onOff(form.verify));
    if (keepChanged) ini.Keep(*form.keep);
    if (changed(form.exclude, ini.Exclude())) ini.Exclude(*form.exclude);
    ini.BackupFiles(platform::asciiUpper(ini.Backup_Parts(ini.BackupFiles(), 1) + form.pattern));
    ini.BackupFileName(platform::asciiUpper(form.name));

    clsFiles files(context);
    files.WriteINI("BACKUP SOURCE", "BackupFiles", ini.BackupFiles(), setFile);
    files.WriteINI("BACKUP SOURCE", "BackupSubDirectories", ini.BackupSubDirectories(), setFile);
    files.WriteINI("Destination", "BackupFileName", ini.BackupFileName(), setFile);
    files.WriteINI("Destination", "MultiVolumeBackup", ini.MultiVolumeBackup(), setFile);
    files.WriteINI("Destination", "TimeBackup", ini.TimeBackup(), setFile);
    ini.WriteOptions(setFile);
    return OptionsSaved{optionsLine(ini.BackupSubDirectories(), ini.MultiVolumeBackup(), ini.TimeBackup()),
                        ini.Backup_Parts(ini.BackupFiles(), 2), ini.BackupFileName(), ini.Exclude()};
}

void saveDestination(AppContext& context, const std::string& setFile, const std::string& folder) {
    clsFiles(context).WriteINI("DESTINATION", "BackupToDrive", platform::asciiUpper(clsString::Backslash(folder)),
                               setFile);
}

std::variant<std::string, MessageRequest> createFolder(AppContext& context, const std::string& parent,
                                                       const std::string& name) {
    const std::string path = (!parent.empty() && parent.back() == '\\' ? parent : parent + "\\") + name;
    const auto failed = [&](const std::string& why) {
        return exclamation("Unable to create the folder " + path + context.globals.sNewLine + why,
                           "Create New Folder");
    };
    if (name.find_first_of("\\/") != std::string::npos || name == "." || name == "..")
        return failed("A folder name may not contain \\ or / or be . or ..");
    const auto host = context.host.resolve(path);
    if (!host) return failed("The drive is not available.");
    std::error_code ec;
    if (std::filesystem::exists(*host, ec)) return failed("A file or folder of that name already exists.");
    if (!std::filesystem::create_directory(*host, ec)) return failed(ec.message());
    return context.host.toDrivePath(*host).value_or(path);
}

}  // namespace torvane
