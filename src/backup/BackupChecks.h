#pragma once

#include <optional>
#include <string>

#include "common/AppContext.h"

namespace torvane {

// What the main window shows when the backup button is pressed.
struct BackupScreen {
    std::string setName;      // the set box's text, such as DAILY.INI
    std::string backupWhere;  // the destination field
};

// The first refusal of an attended backup, or nothing when the run may be confirmed. Both checks
// throw TorvaneError when the set file exists but cannot be read.
std::optional<MessageRequest> interactiveBackupRefusal(AppContext& context, const BackupScreen& screen);
MessageRequest backupConfirmation();

// The failure line of the first refusal of an unattended backup, or nothing when it may run.
std::optional<std::string> unattendedBackupRefusal(AppContext& context, const BackupScreen& screen);

}  // namespace torvane
