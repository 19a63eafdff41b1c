#pragma once

#include "common/PromptService.h"
#include "platform/Host.h"

class QWidget;

namespace torvane {

// Prompts as the user sees them: QMessageBox, QInputDialog and QFileDialog.
class QtPromptService : public PromptService {
public:
    QtPromptService(const platform::Host& host, QWidget* parent = nullptr);
    void setParent(QWidget* parent) { parent_ = parent; }

    MsgAnswer message(const MessageRequest& request) override;
    std::optional<std::string> input(const std::string& prompt, const std::string& title,
                                     const std::string& defaultText) override;
    std::optional<std::string> openFile(const std::string& title, const std::string& filter,
                                        const std::string& start) override;

private:
    const platform::Host& host_;
    QWidget* parent_;
};

}  // namespace torvane
