#pragma once

#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace torvane {

// The protected folders as a lookup: a path is on the list when it equals one of the entries,
// letters compared without regard to case. Exact: no parent or child matching, and the path
// asked about is not trimmed. The Secure Data tree reads the list once (clsCfg::ReturnProtected)
// and asks this for each folder it shows.
class ProtectedList {
  public:
    explicit ProtectedList(const std::vector<std::string>& folders);

    bool contains(std::string_view sPath) const;

  private:
    std::unordered_set<std::string> upper_;
};

// One trailing "\" removed, as readers of the protected-folder file treat every line.
std::string withoutTrailingBackslash(std::string_view line);

}  // namespace torvane
