#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "common/PromptService.h"

namespace torvane::test {

// Records every prompt with all its fields and answers from a script. A prompt the script did
// not expect fails the running test.
class ScriptedPrompts : public PromptService {
public:
    enum class Kind { Message, Input, OpenFile };
    struct Recorded {
        Kind kind;
        MessageRequest message;  // for input and open-file: text = prompt/filter, title = title
        std::string defaultText;  // input default or open-file start
    };

    void answerMessage(MsgAnswer answer);
    void answerInput(std::optional<std::string> answer);
    void answerOpenFile(std::optional<std::string> answer);

    MsgAnswer message(const MessageRequest& request) override;
    std::optional<std::string> input(const std::string& prompt, const std::string& title,
                                     const std::string& defaultText) override;
    std::optional<std::string> openFile(const std::string& title, const std::string& filter,
                                        const std::string& start) override;

    const std::vector<Recorded>& recorded() const { return recorded_; }
    const MessageRequest& lastMessage() const;
    bool scriptUsedUp() const { return script_.empty(); }

private:
    struct Step {
        Kind kind;
        MsgAnswer answer = MsgAnswer::Ok;
        std::optional<std::string> text;
    };
    std::optional<Step> next(Kind kind, const std::string& what);

    std::deque<Step> script_;
    std::vector<Recorded> recorded_;
};

}  // namespace torvane::test
