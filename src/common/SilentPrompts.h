#pragma once

#include "common/PromptService.h"

namespace torvane {

// The prompt service of an unattended run: nothing is ever shown. A message takes its default
// button, input and file choosers are cancelled.
class SilentPrompts : public PromptService {
public:
    MsgAnswer message(const MessageRequest& request) override { return request.defaultButton; }
    std::optional<std::string> input(const std::string&, const std::string&, const std::string&) override {
        return std::nullopt;
    }
    std::optional<std::string> openFile(const std::string&, const std::string&, const std::string&) override {
        return std::nullopt;
    }
};

}  // namespace torvane
