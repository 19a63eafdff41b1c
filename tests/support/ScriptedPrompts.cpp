#include "ScriptedPrompts.h"

#include <gtest/gtest.h>

namespace torvane::test {

void ScriptedPrompts::answerMessage(MsgAnswer answer) { script_.push_back({Kind::Message, answer, {}}); }

void ScriptedPrompts::answerInput(std::optional<std::string> answer) {
    script_.push_back({Kind::Input, MsgAnswer::Ok, std::move(answer)});
}

void ScriptedPrompts::answerOpenFile(std::optional<std::string> answer) {
    script_.push_back({Kind::OpenFile, MsgAnswer::Ok, std::move(answer)});
}

std::optional<ScriptedPrompts::Step> ScriptedPrompts::next(Kind kind, const std::string& what) {
    if (script_.empty() || script_.front().kind != kind) {
        ADD_FAILURE() << "Unexpected prompt: " << what;
        return std::nullopt;
    }
    Step step = script_.front();
    script_.pop_front();
    return step;
}

MsgAnswer ScriptedPrompts::message(const MessageRequest& request) {
    recorded_.push_back({Kind::Message, request, {}});
    const auto step = next(Kind::Message, "message \"" + request.title + "\": " + request.text);
    return step ? step->answer : MsgAnswer::Cancel;
}

std::optional<std::string> ScriptedPrompts::input(const std::string& prompt, const std::string& title,
                                                  const std::string& defaultText) {
    recorded_.push_back({Kind::Input, {prompt, MsgButtons::OkCancel, MsgIcon::None, MsgAnswer::Ok, title},
                         defaultText});
    const auto step = next(Kind::Input, "input \"" + title + "\": " + prompt);
    return step ? step->text : std::nullopt;
}

std::optional<std::string> ScriptedPrompts::openFile(const std::string& title, const std::string& filter,
                                                     const std::string& start) {
    recorded_.push_back({Kind::OpenFile, {filter, MsgButtons::OkCancel, MsgIcon::None, MsgAnswer::Ok, title},
                         start});
    const auto step = next(Kind::OpenFile, "open file \"" + title + "\"");
    return step ? step->text : std::nullopt;
}

const MessageRequest& ScriptedPrompts::lastMessage() const {
    static const MessageRequest none;
    for (auto it = recorded_.rbegin(); it != recorded_.rend(); ++it)
        if (it->kind == Kind::Message) return it->message;
    return none;
}

}  // namespace torvane::test
