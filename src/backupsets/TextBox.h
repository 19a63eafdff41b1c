#pragma once

#include <string>

namespace torvane {

// A multi-line text box as the file services fill it; the windows adapt their own widgets.
class TextBox {
public:
    virtual ~TextBox() = default;
    virtual void setText(const std::string& text) = 0;
};

}  // namespace torvane
