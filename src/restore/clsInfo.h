#pragma once

#include <string>

#include "backupsets/TextBox.h"

namespace torvane {

// Explanatory texts shown beside the windows.
class clsInfo {
  public:
    // Puts the Secure Data explanation into `box`.
    void SecureData(TextBox& box) const;
    // Six paragraphs separated by empty lines (CR LF line ends).
    static std::string SecureDataText();
};

}  // namespace torvane
