#pragma once

#include <cstdint>
#include <ctime>
#include <deque>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "zip/ExclusionList.h"

namespace torvane::zip {

// One selected file. Its path below the selected folder lives in the selection's name store, so
// a file costs its name's bytes and this record, whatever the number of files.
struct SelectedFile {
    std::uint64_t size = 0;
    std::int64_t mtime = 0;
    std::uint32_t nameAt = 0;  // chunk and position of the path in the name store
    std::uint16_t nameSize = 0;
    std::uint16_t mode = 0;  // permission bits of the file read (the target for a symlink)
};

class Selection {
  public:
    Selection(std::filesystem::path folder, std::string namePrefix)
        : folder_(std::move(folder)), prefix_(std::move(namePrefix)) {}

    std::size_t size() const { return files_.size(); }
    bool empty() const { return files_.empty(); }
    const SelectedFile& operator[](std::size_t i) const { return files_[i]; }

    // The path below the selected folder, "/" separators.
    std::string_view relative(std::size_t i) const;
    // Host path as found (a file symlink stays the link's path).
    std::filesystem::path path(std::size_t i) const;
    // Member name: the path below the name base.
    std::string name(std::size_t i) const;

    void add(std::string_view relative, std::uint64_t size, std::int64_t mtime, std::uint16_t mode);
    // Drops the files for which `drop` answers true, keeping the order of the others.
    template <class Pred>
    void dropIf(Pred drop) {
        std::size_t kept = 0;
        for (std::size_t i = 0; i < files_.size(); ++i)
            if (!drop(i)) files_[kept++] = files_[i];
        files_.resize(kept);
    }

    std::vector<std::string> skipped;  // "path: reason" for entries that could not be examined

  private:
    std::filesystem::path folder_;
    std::string prefix_;
    std::deque<SelectedFile> files_;  // grows without copying what it holds
    // Names in chunks of fixed capacity: growing never copies or doubles what is already held.
    std::vector<std::string> names_;
};

// What a walk takes: the files that match `pattern`, in every subfolder when `recurse`, less
// what `exclude` names. A subfolder that is one of `leaveOut` (the same folder on disk, however
// reached) or whose name `exclude` names is not entered at all.
struct SelectionRules {
    std::string pattern = "*.*";
    bool recurse = false;
    std::vector<std::filesystem::path> leaveOut;
    ExclusionList exclude;
    // Folders that refuse to be listed, as if their permissions said so (a test seam).
    std::function<bool(const std::filesystem::path&)> unreadable;
};

// The regular files under `folder` that `rules` take, in a stable order (names sorted by bytes,
// a folder's files before its subfolders). Only regular files count: FIFOs, sockets and devices
// are passed over without being opened, directory symlinks are never entered, and a file symlink
// counts when its target is a regular file.
Selection selectFiles(const std::filesystem::path& folder, const std::filesystem::path& nameBase,
                      const SelectionRules& rules);

}  // namespace torvane::zip
