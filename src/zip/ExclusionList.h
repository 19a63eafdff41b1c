#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace torvane::zip {

// What a set leaves out of its backups: Windows wildcards separated by ";", matched case-blind
// against the bare name of each file and folder. A pattern ending in "\" names folders only, so
// "*.tmp;CACHE\" leaves out temporary files anywhere and every folder called cache.
class ExclusionList {
  public:
    ExclusionList() = default;
    explicit ExclusionList(std::string_view list);

    bool empty() const { return any_.empty() && folders_.empty(); }
    // A file or folder of this name is left out, whatever it is.
    bool excludesName(std::string_view name) const;
    // A folder of this name is left out.
    bool excludesFolder(std::string_view name) const;

  private:
    std::vector<std::string> any_;      // files and folders
    std::vector<std::string> folders_;  // folders only, without their "\"
};

}  // namespace torvane::zip
