#include "MainWindowText.h"

namespace torvane {

std::string logHintText(std::uintmax_t logBytes) {
    return "The Torvane Log File is being limited to a File Size of 50K.\r\nFile Current Size is " +
           std::to_string(logBytes / 1024) + "K";
}

}  // namespace torvane
