#include "ProtectedRenames.h"

#include <cstdio>
#include <unordered_set>

#include "backupsets/clsString.h"
#include "common/TorvaneError.h"
#include "platform/AsciiCase.h"
#include "restore/RestoreLog.h"
#include "restore/clsCfg.h"
#include "zip/SafePath.h"

namespace torvane {

namespace {

constexpr int kMaxCopies = 999;

std::string numbered(const std::string& folder, int n) {
    char suffix[8];
    std::snprintf(suffix, sizeof suffix, "_%03d", n);
    return folder + suffix;
}

bool isFolder(const platform::Host& host, const std::string& drivePath) {
    const auto path = host.resolve(drivePath);
    std::error_code ec;
    return path && std::filesystem::is_directory(*path, ec);
}

// Upper-case names in the folder beside `hostFolder`, to find a free name in one listing.
std::unordered_set<std::string> namesBeside(const std::filesystem::path& hostFolder) {
    std::unordered_set<std::string> names;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(hostFolder.parent_path(), ec), end;
         !ec && it != end; it.increment(ec))
        names.insert(platform::asciiUpper(it->path().filename().string()));
    return names;
}

std::string lastComponent(const std::string& drivePath) {
    return drivePath.substr(drivePath.rfind('\\') + 1);
}

std::optional<MessageRequest> notStarted(AppContext& context, const std::string& logLine,
                                         const std::string& message) {
    restoreLog(context, logLine);
    restoreLog(context, "Restore Not Started");
    const std::string& nl = context.globals.sNewLine;
    return MessageRequest{message + nl + nl + "The Restore has not been started.", MsgButtons::Ok,
                          MsgIcon::Exclamation, MsgAnswer::Ok, "Restore"};
}

}  // namespace

std::optional<std::string> memberTargetFolder(const std::string& destination,
                                              const zip::MemberInfo& member) {
    std::string reason;
    std::vector<std::string> parts = zip::memberComponents(member.name, reason);
    if (parts.empty()) return std::nullopt;
    if (!member.isDirectory) parts.pop_back();
    std::string target = clsString::Backslash(destination);
    for (const std::string& part : parts) target += part + "\\";
    return target;
}

bool reachesFolder(std::string_view target, std::string_view protectedFolder) {
    if (target.size() < protectedFolder.size()) return false;
    if (!platform::iequals(target.substr(0, protectedFolder.size()), protectedFolder)) return false;
    return target.size() == protectedFolder.size() || target[protectedFolder.size()] == '\\';
}

RenamePlan planProtectedRenames(AppContext& context,
                                const std::vector<std::string>& protectedFolders,
                                const std::string& destination,
                                const std::vector<zip::MemberInfo>& members) {
    std::vector<std::string> listed;
    for (const std::string& folder : protectedFolders) {
        bool seen = false;
        for (const std::string& other : listed) seen = seen || platform::iequals(other, folder);
        if (!seen && !folder.empty()) listed.push_back(folder);
    }

    // Members of one folder follow each other, so each target is compared once per run of them.
    std::vector<bool> reached(listed.size(), false);
    std::vector<std::string> order;
    std::string lastTarget;
    for (const zip::MemberInfo& member : members) {
        if (order.size() == listed.size()) break;
        const auto target = memberTargetFolder(destination, member);
        if (!target || *target == lastTarget) continue;
        lastTarget = *target;
        for (size_t i = 0; i < listed.size(); ++i) {
            if (reached[i] || !reachesFolder(*target, listed[i])) continue;
            reached[i] = true;
            order.push_back(listed[i]);
        }
    }

    std::vector<std::string> existing;
    for (const std::string& folder : order)
        if (isFolder(context.host, folder)) existing.push_back(folder);

    RenamePlan plan;
    for (const std::string& folder : existing) {
        bool inside = false;
        for (const std::string& outer : existing)
            inside = inside || (outer.size() < folder.size() && reachesFolder(folder, outer));
        if (inside) continue;
        const auto names = namesBeside(*context.host.resolve(folder));
        const std::string name = lastComponent(folder);
        int n = 1;
        while (n <= kMaxCopies && names.count(platform::asciiUpper(numbered(name, n))) != 0) ++n;
        if (n > kMaxCopies) {
            plan.exhausted = folder;
            return plan;
        }
        plan.renames.push_back({folder, numbered(folder, n)});
    }
    return plan;
}

std::error_code renameHostFolder(const std::filesystem::path& from,
                                 const std::filesystem::path& to) {
    std::error_code ec;
    std::filesystem::rename(from, to, ec);
    return ec;
}

std::optional<MessageRequest> renameProtectedFolders(AppContext& context, const RenamePlan& plan,
                                                     const FolderRenamer& renamer) {
    if (!plan.exhausted.empty()) {
        const std::string& folder = plan.exhausted;
        const std::string range = numbered(folder, 1) + " to " + numbered(folder, kMaxCopies);
        restoreLog(context, "Restore process about to Overwrite " + folder);
        return notStarted(
            context, "Unable to Rename " + folder + " - every name from " + range + " is taken",
            "Unable to rename the Protected Folder " + folder + " as every name from " + range +
                " is already in use.");
    }
    for (const FolderRename& rename : plan.renames) {
        restoreLog(context, "Restore process about to Overwrite " + rename.folder);
        const auto from = context.host.resolve(rename.folder);
        std::error_code ec = std::make_error_code(std::errc::no_such_file_or_directory);
        if (from) ec = renamer(*from, from->parent_path() / lastComponent(rename.newName));
        if (ec) {
            return notStarted(context,
                              "Unable to Rename " + rename.folder + " to " + rename.newName +
                                  " - " + ec.message(),
                              "Unable to rename the Protected Folder " + rename.folder + " to " +
                                  rename.newName + "." + context.globals.sNewLine +
                                  context.globals.sNewLine + ec.message());
        }
        restoreLog(context, rename.folder + " renamed to " + rename.newName, false);
    }
    return std::nullopt;
}

std::optional<MessageRequest> protectBeforeRestore(AppContext& context,
                                                   const std::string& destination,
                                                   const std::vector<zip::MemberInfo>& members,
                                                   const FolderRenamer& renamer) {
    std::vector<std::string> folders;
    try {
        folders = clsCfg(context).ReturnProtected();
    } catch (const TorvaneError& e) {
        return notStarted(context, "Unable to read the Protected Folders - " + e.description(),
                          "Unable to read the list of Protected Folders." +
                              context.globals.sNewLine + context.globals.sNewLine +
                              e.description());
    }
    if (folders.empty() || members.empty()) return std::nullopt;
    return renameProtectedFolders(
        context, planProtectedRenames(context, folders, destination, members), renamer);
}

}  // namespace torvane
