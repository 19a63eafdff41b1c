#pragma once

#include <string>

namespace torvane {

// Shows a notice through the desktop's notification service on the session bus. Without a
// session bus there is no desktop to tell, and nothing is shown. Answers why a notice could not
// be delivered, or empty.
std::string showDesktopNotice(const std::string& title, const std::string& body);

}  // namespace torvane
