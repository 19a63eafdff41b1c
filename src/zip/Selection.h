#pragma once

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

namespace torvane::zip {

struct SelectedFile {
    std::filesystem::path path;  // host path as found (a file symlink stays the link's path)
    std::string name;            // member name: path below the name base, "/" separators
    std::uint64_t size = 0;
    std::time_t mtime = 0;
    std::uint32_t mode = 0;  // permission bits of the file read (the target for a symlink)
};

struct Selection {
    std::vector<SelectedFile> files;
    std::vector<std::string> skipped;  // "path: reason" for entries that could not be examined
};

// The regular files under `folder` whose names match `pattern`, in a stable order (names sorted
// by bytes, a folder's files before its subfolders). Only regular files count: FIFOs, sockets and
// devices are passed over without being opened, directory symlinks are never entered, and a
// file symlink counts when its target is a regular file.
Selection selectFiles(const std::filesystem::path& folder, const std::string& pattern, bool recurse,
                      const std::filesystem::path& nameBase);

}  // namespace torvane::zip
