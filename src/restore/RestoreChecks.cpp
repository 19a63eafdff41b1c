#include "RestoreChecks.h"

namespace torvane {

namespace {

std::string cautionText(const std::string& nl) {
    return std::string("Torvane has been designed to allow the user to ") +
           "manualy select the Restore Location themselves " +
           "as this can cause major risks to Users Data." + nl + nl +
           "PLEASE SELECT THE RESTORE LOCATION WITH CARE!";
}

}  // namespace

MessageRequest restoreCaution(AppContext& context) {
    return {cautionText(context.globals.sNewLine), MsgButtons::Ok, MsgIcon::Critical, MsgAnswer::Ok,
            "Restore"};
}

std::optional<MessageRequest> restoreRefusal(AppContext& context, const RestoreScreen& screen) {
    const std::string& nl = context.globals.sNewLine;
    auto refusal = [](std::string text) {
        return MessageRequest{std::move(text), MsgButtons::Ok, MsgIcon::Exclamation, MsgAnswer::Ok,
                              "Restore"};
    };
    if (screen.setName.empty() && screen.restoreFile.empty())
        return refusal("Nothing has been selected to Restore." + nl + nl +
                       "Please enter a valid Restore File.");
    if (screen.restoreTo.empty())
        return refusal("No Location has been selected to Restore the File To." + nl + nl +
                       cautionText(nl));
    return std::nullopt;
}

std::optional<MessageRequest> prepareRestore(AppContext& context, const RestoreScreen& screen,
                                             const std::vector<zip::MemberInfo>& members,
                                             const FolderRenamer& renamer) {
    if (auto refusal = restoreRefusal(context, screen)) return refusal;
    return protectBeforeRestore(context, screen.restoreTo, members, renamer);
}

}  // namespace torvane
