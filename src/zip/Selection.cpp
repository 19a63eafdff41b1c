#include "zip/Selection.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <stdexcept>

#include "zip/Wildcard.h"

namespace torvane::zip {
namespace {

constexpr std::size_t kNameChunk = 1 << 20;

struct Walker {
    const SelectionRules& rules;
    std::vector<std::pair<dev_t, ino_t>> leaveOut;
    const std::filesystem::path& folder;
    Selection& out;

    void skip(const std::filesystem::path& p, int err) {
        out.skipped.push_back(p.string() + ": " + std::strerror(err));
    }

    void walk(const std::string& relative) {
        std::filesystem::path dir = relative.empty() ? folder : folder / relative;
        if (rules.unreadable && rules.unreadable(dir)) {
            skip(dir, EACCES);
            return;
        }
        std::unique_ptr<DIR, int (*)(DIR*)> d(::opendir(dir.c_str()), &::closedir);
        if (!d) {
            skip(dir, errno);
            return;
        }
        std::vector<std::string> names;
        while (dirent* e = ::readdir(d.get())) {
            if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0) continue;
            names.emplace_back(e->d_name);
        }
        d.reset();
        std::sort(names.begin(), names.end());

        std::vector<std::string> subdirs;
        for (const std::string& name : names) {
            // Whatever it is, it is neither examined nor entered.
            if (rules.exclude.excludesName(name)) continue;
            std::filesystem::path p = dir / name;
            struct stat st {};
            if (::lstat(p.c_str(), &st) != 0) {
                skip(p, errno);
                continue;
            }
            if (S_ISDIR(st.st_mode)) {
                if (std::find(leaveOut.begin(), leaveOut.end(), std::pair(st.st_dev, st.st_ino)) ==
                        leaveOut.end() &&
                    !rules.exclude.excludesFolder(name))
                    subdirs.push_back(name);
                continue;
            }
            if (S_ISLNK(st.st_mode)) {
                // A dangling link or one to a folder is not a file of the set.
                if (::stat(p.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
            }
            if (!S_ISREG(st.st_mode) || !matchesPattern(rules.pattern, name)) continue;
            std::string rel = relative.empty() ? name : relative + "/" + name;
            if (rel.size() > UINT16_MAX) {
                skip(p, ENAMETOOLONG);
                continue;
            }
            out.add(rel, static_cast<std::uint64_t>(st.st_size), st.st_mtim.tv_sec,
                    static_cast<std::uint16_t>(st.st_mode & 07777));
        }
        names = {};
        if (!rules.recurse) return;
        for (const std::string& name : subdirs)
            walk(relative.empty() ? name : relative + "/" + name);
    }
};

std::string relativePrefix(const std::filesystem::path& folder, const std::filesystem::path& base) {
    std::filesystem::path rel =
        folder.lexically_normal().lexically_relative(base.lexically_normal());
    // A folder outside the base (or no base) stores names relative to the folder itself.
    if (base.empty() || rel.empty() || *rel.begin() == "..") return {};
    std::string prefix;
    for (const auto& part : rel) {
        if (part == "." || part.empty()) continue;
        prefix += part.string() + "/";
    }
    return prefix;
}

}  // namespace

std::string_view Selection::relative(std::size_t i) const {
    const SelectedFile& f = files_[i];
    return std::string_view(names_[f.nameAt / kNameChunk])
        .substr(f.nameAt % kNameChunk, f.nameSize);
}

std::filesystem::path Selection::path(std::size_t i) const { return folder_ / relative(i); }

std::string Selection::name(std::size_t i) const {
    std::string n = prefix_;
    n += relative(i);
    return n;
}

void Selection::add(std::string_view relative, std::uint64_t size, std::int64_t mtime,
                    std::uint16_t mode) {
    if (names_.empty() || names_.back().size() + relative.size() > kNameChunk) {
        if (names_.size() >= UINT32_MAX / kNameChunk)
            throw std::length_error("too many files to select");
        names_.emplace_back().reserve(kNameChunk);
    }
    std::string& chunk = names_.back();
    SelectedFile f;
    f.size = size;
    f.mtime = mtime;
    f.nameAt = static_cast<std::uint32_t>((names_.size() - 1) * kNameChunk + chunk.size());
    f.nameSize = static_cast<std::uint16_t>(relative.size());
    f.mode = mode;
    chunk.append(relative);
    files_.push_back(f);
}

Selection selectFiles(const std::filesystem::path& folder, const std::filesystem::path& nameBase,
                      const SelectionRules& rules) {
    Selection selection(folder, relativePrefix(folder, nameBase));
    std::vector<std::pair<dev_t, ino_t>> leave;
    for (const auto& p : rules.leaveOut) {
        struct stat st {};
        if (::stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
            leave.emplace_back(st.st_dev, st.st_ino);
    }
    Walker w{rules, std::move(leave), folder, selection};
    w.walk({});
    return selection;
}

}  // namespace torvane::zip
