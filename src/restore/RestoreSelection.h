#pragma once

#include <optional>
#include <string>

#include "common/AppContext.h"
#include "restore/RestoreChecks.h"

namespace torvane {

// Each of these reads the named set file and throws TorvaneError when it exists but cannot be
// read.

// What choosing a backup set on the Restore page leads to.
struct SetChoice {
    std::string archive;                    // the set's recorded archive; empty when refused
    std::optional<MessageRequest> message;  // why the set cannot be restored
    bool clearArchive = false;  // the archive is gone: the listing and its path are emptied
};
SetChoice chooseRestoreSet(AppContext& context, const std::string& setName);

// Whether a selected set stays selected after the user browsed to `chosen`: only when its set
// file is still there and records that very archive (letters compared without regard to case).
bool setKeptAfterBrowsing(AppContext& context, const std::string& setName,
                          const std::string& chosen);

// The archive a restore of `screen` reads: the named set's recorded archive, else the browsed
// one. Throws std::runtime_error when the named set records none.
std::string restoreArchivePath(AppContext& context, const RestoreScreen& screen);

// The open-file dialog's title and filter for archives.
inline constexpr const char* kRestoreFileTitle = "Select a Restore File";
inline constexpr const char* kRestoreFileFilter = "Restore Files (*.zip)";

// Shown when the destination is asked for before anything to restore has been chosen.
MessageRequest nothingToRestoreHint();

}  // namespace torvane
