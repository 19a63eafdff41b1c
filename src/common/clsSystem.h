#pragma once

#include <cstdint>

class QPlainTextEdit;

namespace torvane {

class clsSystem {
public:
    // Scrolls a multi-line text box by vLines (positive: down) without leaving the focus on
    // it. Returns 1 when the box scrolled, as the desktop's line-scroll message answers.
    static std::int32_t ScrollText(QPlainTextEdit* TextBox, std::int16_t vLines);
};

}  // namespace torvane
