#pragma once

#include <string>
#include <vector>

#include "platform/Host.h"

namespace torvane {

struct FolderNode {
    std::string name;  // as on disk; show it through platform::printable
    std::string path;  // full drive path, the node's tag
};

// The folders of a drive one level at a time, for a tree that fills a node when it is first
// expanded: walking a whole drive up front would read every folder on it. Directory symlinks
// are never followed, and a folder that cannot be read has no subfolders rather than failing.
class FolderTree {
  public:
    explicit FolderTree(const platform::Host& host);

    // The subfolders of a drive path (a root such as C:\ or a folder), sorted by name without
    // regard to case.
    std::vector<FolderNode> subfolders(const std::string& drivePath) const;
    // Whether it has any subfolder; stops at the first one found.
    bool hasSubfolders(const std::string& drivePath) const;

  private:
    const platform::Host& host_;
};

}  // namespace torvane
