#pragma once

#include <optional>
#include <string>
#include <vector>

#include "common/AppContext.h"
#include "restore/ProtectedRenames.h"

namespace torvane {

// What the Restore page holds when "&Restore Now" is pressed.
struct RestoreScreen {
    std::string setName;  // Cmb_RestoreFile's text, such as DAILY.INI; empty for a browsed archive
    std::string restoreFile;  // Fld_RestoreFile: the browsed archive's drive path
    std::string restoreTo;  // Fld_RestoreTo: the destination folder, with or without a trailing "\"
};

// The refusal to show when nothing or no destination has been chosen; nothing when the
// restore may go on. Neither refusal logs anything.
std::optional<MessageRequest> restoreRefusal(AppContext& context, const RestoreScreen& screen);

// The caution shown before the destination is chosen; its text also closes the
// missing-destination refusal.
MessageRequest restoreCaution(AppContext& context);

// Everything "&Restore Now" does before the progress window opens: the checks, then the
// protected folders that `members` (the archive's listing) would reach renamed aside. Returns
// the message to show when the restore must not start; nothing when the run may begin.
std::optional<MessageRequest> prepareRestore(AppContext& context, const RestoreScreen& screen,
                                             const std::vector<zip::MemberInfo>& members,
                                             const FolderRenamer& renamer = renameHostFolder);

}  // namespace torvane
