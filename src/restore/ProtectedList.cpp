#include "ProtectedList.h"

#include "platform/AsciiCase.h"

namespace torvane {

ProtectedList::ProtectedList(const std::vector<std::string>& folders) {
    for (const std::string& folder : folders) upper_.insert(platform::asciiUpper(folder));
}

bool ProtectedList::contains(std::string_view sPath) const {
    return upper_.count(platform::asciiUpper(sPath)) != 0;
}

std::string withoutTrailingBackslash(std::string_view line) {
    if (!line.empty() && line.back() == '\\') line.remove_suffix(1);
    return std::string(line);
}

}  // namespace torvane
