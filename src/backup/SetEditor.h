#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "backupsets/clsINI.h"
#include "common/AppContext.h"

namespace torvane {

// What the backup page shows for one set, worked out without a screen.
struct SetView {
    std::vector<MessageRequest> messages;  // shown in order before the page is filled
    bool stopped = false;  // unattended and a folder is missing: only backupWhere is filled
    std::string driveRoot;  // for the drive list
    std::string folder;     // for the folder list
    std::string filesToBackup;
    std::string backupFileName;
    std::string backupWhere;
    std::string options;
    std::string exclusions;  // the set's Exclude, shown beside the pattern
};

// Throws TorvaneError when the set file exists but cannot be read.
SetView showSet(AppContext& context, const std::string& setName, bool unattended);

// "SubDir=OFF, MultiVolume=ON, Time=ON"
std::string optionsLine(const std::string& subDirs, const std::string& multiVolume, const std::string& time);

// The set files (*.INI, any case) of the program folder, in the order the folder lists them.
std::vector<std::string> listSetFiles(AppContext& context);

// A typed set name with ".INI" added unless it already ends so (any case).
std::string newSetFileName(const std::string& answer);
MessageRequest setExistsMessage();

// A user's move of the folder list: the set's BackupFiles becomes that folder and the pattern
// shown ("*.*" when none). Returns the pattern used.
std::string recordSourceFolder(AppContext& context, const std::string& setName, const std::string& folder,
                               const std::string& pattern);

// The options dialog's values and what the main window shows after a save.
struct OptionsForm {
    std::string pattern;
    std::string name;
    bool time = false;
    bool multiVolume = false;
    bool subDirs = false;
    bool verify = true;
    // Keep and Exclude as the fields hold them; a value the user left as it was is not written.
    std::optional<std::string> keep = std::nullopt;
    std::optional<std::string> exclude = std::nullopt;
};
struct OptionsSaved {
    std::string options;
    std::string filesToBackup;
    std::string backupFileName;
    std::string exclusions;
};
// Checks and writes the options (the three switches and the set options) into the set file; `ini`
// holds the set as read when the dialog opened. A refusal writes nothing.
std::variant<MessageRequest, OptionsSaved> saveOptions(AppContext& context, clsINI& ini, const std::string& setFile,
                                                       OptionsForm& form, const std::string& backupWhere);

// The destination dialog's OK: writes BackupToDrive as upper case with a trailing "\".
void saveDestination(AppContext& context, const std::string& setFile, const std::string& folder);
// Creates `name` inside `parent` (drive paths). Returns the new folder's drive path, or the
// message that tells why it could not be made.
std::variant<std::string, MessageRequest> createFolder(AppContext& context, const std::string& parent,
                                                       const std::string& name);

}  // namespace torvane
