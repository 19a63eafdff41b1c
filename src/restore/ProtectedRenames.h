#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "common/AppContext.h"
#include "zip/ZipEngine.h"

namespace torvane {

// Protected folders are renamed aside before a restore could write into them. The whole plan
// is made first, so that a folder with no free name stops the restore before anything moves.

struct FolderRename {
    std::string folder;   // the protected folder as listed, such as C:\DATA
    std::string newName;  // its first free numbered name, such as C:\DATA_001
};

struct RenamePlan {
    std::vector<FolderRename> renames;  // in the order the members reach the folders
    std::string exhausted;              // a reached folder whose names _001.._999 are all taken
};

// The folder a member lands in: the destination, one "\", and the member's folders ("/" and
// "\" separate them). Empty for a name the engine refuses to extract.
std::optional<std::string> memberTargetFolder(const std::string& destination,
                                              const zip::MemberInfo& member);

// Whether `target` is `protectedFolder` or lies below it, letters compared without regard to
// case: C:\DATA\LETTERS\ reaches C:\DATA, C:\DATABASE\ does not.
bool reachesFolder(std::string_view target, std::string_view protectedFolder);

// Which existing protected folders the members reach (the outermost of nested ones, whose
// rename carries the inner ones along) and the first free name of each.
RenamePlan planProtectedRenames(AppContext& context,
                                const std::vector<std::string>& protectedFolders,
                                const std::string& destination,
                                const std::vector<zip::MemberInfo>& members);

// Renames a host folder; the seam through which tests make a rename fail.
using FolderRenamer = std::function<std::error_code(const std::filesystem::path& from,
                                                    const std::filesystem::path& to)>;
std::error_code renameHostFolder(const std::filesystem::path& from,
                                 const std::filesystem::path& to);

// Carries out the plan, logging each rename. On the first folder that cannot be renamed (or
// when the plan found no free name) logs the reason and "Restore Not Started" and returns the
// message to show; renames already done stay. Nothing when the extraction may start.
std::optional<MessageRequest> renameProtectedFolders(
    AppContext& context, const RenamePlan& plan, const FolderRenamer& renamer = renameHostFolder);

// Reads the protected-folder list (a missing file lists nothing), plans and renames, as above.
std::optional<MessageRequest> protectBeforeRestore(AppContext& context,
                                                   const std::string& destination,
                                                   const std::vector<zip::MemberInfo>& members,
                                                   const FolderRenamer& renamer = renameHostFolder);

}  // namespace torvane
