#include "zip/Selection.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

#include "zip/Wildcard.h"

namespace torvane::zip {
namespace {

struct Walker {
    std::string pattern;
    bool recurse;
    Selection out;

    void skip(const std::filesystem::path& p, int err) {
        out.skipped.push_back(p.string() + ": " + std::strerror(err));
    }

    void walk(const std::filesystem::path& dir, const std::string& prefix) {
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
            std::filesystem::path p = dir / name;
            struct stat st {};
            if (::lstat(p.c_str(), &st) != 0) {
                skip(p, errno);
                continue;
            }
            if (S_ISDIR(st.st_mode)) {
                subdirs.push_back(name);
                continue;
            }
            if (S_ISLNK(st.st_mode)) {
                // A dangling link or one to a folder is not a file of the set.
                if (::stat(p.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
            }
            if (!S_ISREG(st.st_mode) || !matchesPattern(pattern, name)) continue;
            SelectedFile f;
            f.path = p;
            f.name = prefix + name;
            f.size = static_cast<std::uint64_t>(st.st_size);
            f.mtime = st.st_mtim.tv_sec;
            f.mode = st.st_mode & 07777;
            out.files.push_back(std::move(f));
        }
        if (!recurse) return;
        for (const std::string& name : subdirs) walk(dir / name, prefix + name + "/");
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

Selection selectFiles(const std::filesystem::path& folder, const std::string& pattern, bool recurse,
                      const std::filesystem::path& nameBase) {
    Walker w{pattern, recurse, {}};
    w.walk(folder, relativePrefix(folder, nameBase));
    return std::move(w.out);
}

}  // namespace torvane::zip
