#pragma once

#include <optional>
#include <string>

namespace torvane {

enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };
enum class MsgIcon { None, Critical, Question, Exclamation, Information };
enum class MsgAnswer { Ok, Cancel, Yes, No, Retry };

struct MessageRequest {
    std::string text;
    MsgButtons buttons = MsgButtons::Ok;
    MsgIcon icon = MsgIcon::None;
    MsgAnswer defaultButton = MsgAnswer::Ok;
    std::string title;
};

// Every message box, input box and file chooser of the programs goes through here, so tests
// script the answers and an unattended run can be held to showing nothing.
class PromptService {
public:
    virtual ~PromptService() = default;
    virtual MsgAnswer message(const MessageRequest& request) = 0;
    // Empty when the user cancels.
    virtual std::optional<std::string> input(const std::string& prompt, const std::string& title,
                                             const std::string& defaultText) = 0;
    // `filter` in the form "Zip Files (*.zip)"; `start` and the answer are drive paths.
    virtual std::optional<std::string> openFile(const std::string& title, const std::string& filter,
                                                const std::string& start) = 0;
};

}  // namespace torvane
