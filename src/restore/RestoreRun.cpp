#include "RestoreRun.h"

#include <stdexcept>
#include <unordered_set>

#include "backupsets/clsFiles.h"
#include "common/TorvaneError.h"
#include "platform/AsciiCase.h"
#include "restore/RestoreLog.h"
#include "restore/RestoreSelection.h"

namespace torvane {

namespace {

// The engine names a skipped member as "name: reason", and either part may hold ": ". The
// name is the longest such prefix that is a member, else the shortest.
std::string skippedMember(const std::string& entry, const std::unordered_set<std::string>& names) {
    std::string name;
    for (size_t at = entry.find(": "); at != std::string::npos; at = entry.find(": ", at + 1)) {
        const std::string candidate = entry.substr(0, at);
        if (name.empty() || names.count(candidate) != 0) name = candidate;
    }
    return name.empty() ? entry : name;
}

}  // namespace

RestoreRun::RestoreRun(AppContext& context, RestoreScreen screen)
    : context_(context), screen_(std::move(screen)) {}

std::string RestoreRun::source() const {
    return screen_.setName.empty() ? "from ZIP File - " + screen_.restoreFile
                                   : "from " + screen_.setName;
}

zip::RestoreRequest RestoreRun::start() {
    restoreLog(context_, "Starting Restore " + source());
    archivePath_ = restoreArchivePath(context_, screen_);
    const platform::Host& host = context_.host;
    const auto archive = host.resolve(archivePath_);
    if (!archive) throw std::runtime_error("Unable to locate " + archivePath_);
    const auto destination = host.resolve(screen_.restoreTo);
    if (!destination) throw std::runtime_error("Unable to locate " + screen_.restoreTo);

    hostArchive_ = *archive;
    hostDestination_ = *destination;
    zip::RestoreRequest request;
    request.archive = *archive;
    request.destination = *destination;
    // The engine makes the name printable, once.
    request.itemText = host.drivePathNamer(*destination);
    return request;
}

std::string RestoreRun::inDriveTerms(std::string reason) const {
    const std::pair<std::string, std::string> paths[] = {
        {hostArchive_.string(), archivePath_},
        {hostDestination_.string(), screen_.restoreTo},
    };
    // Only a whole path counts, so that a destination of "/" leaves the other paths alone.
    auto standsAlone = [&](size_t at, size_t size) {
        const size_t after = at + size;
        return (at == 0 || reason[at - 1] == ' ') &&
               (after == reason.size() || reason[after] == ':' || reason[after] == ' ');
    };
    for (const auto& [host, drive] : paths) {
        if (host.empty()) continue;
        size_t at = reason.find(host);
        while (at != std::string::npos) {
            size_t next = at + 1;
            if (standsAlone(at, host.size())) {
                reason.replace(at, host.size(), drive);
                next = at + drive.size();
            }
            at = reason.find(host, next);
        }
    }
    return reason;
}

RestoreEnd RestoreRun::finish(const zip::Outcome& outcome,
                              const std::vector<zip::MemberInfo>& members) {
    using Status = zip::Outcome::Status;
    const std::string finished = "Finished Restore " + source();
    if (outcome.status == Status::Cancelled) {
        restoreLog(context_, finished);
        restoreLog(context_, "Cancelled by User");
        return {"Restore Cancelled by User", std::nullopt};
    }
    if (outcome.status == Status::Failed && outcome.skipped.empty()) {
        const std::string failed = "Restore Failed - " + inDriveTerms(outcome.reason);
        restoreLog(context_, finished);
        restoreLog(context_, failed);
        return {"Restore Failed", MessageRequest{failed, MsgButtons::Ok, MsgIcon::Exclamation,
                                                 MsgAnswer::Ok, "Restore"}};
    }

    // Every member but the skipped ones is in place, so the set records where they went.
    std::string unrecorded;
    if (!screen_.setName.empty()) {
        try {
            clsFiles(context_).WriteINI(
                "RESTORE DESTINATION", "RestoreDestination",
                platform::asciiUpper(screen_.restoreTo),
                platform::asciiUpper(context_.host.programFolder() + "\\" + screen_.setName));
        } catch (const TorvaneError& e) {
            unrecorded = "Unable to record the Restore Destination in " + screen_.setName + " - " +
                         e.description();
        }
    }
    if (!outcome.skipped.empty()) {
        std::unordered_set<std::string> names;
        for (const zip::MemberInfo& m : members) names.insert(m.name);
        for (const std::string& entry : outcome.skipped)
            restoreLog(context_, "Unable to Restore " + skippedMember(entry, names));
    }
    restoreLog(context_, finished);
    RestoreEnd end{"Restore Complete", std::nullopt};
    if (!outcome.skipped.empty()) {
        end.status = "Restore Completed with Errors - " + std::to_string(outcome.skipped.size()) +
                     " file(s) skipped";
        restoreLog(context_, end.status);
    }
    if (!unrecorded.empty()) {
        restoreLog(context_, unrecorded);
        end.message = MessageRequest{unrecorded, MsgButtons::Ok, MsgIcon::Exclamation,
                                     MsgAnswer::Ok, "Restore"};
    }
    return end;
}

}  // namespace torvane
