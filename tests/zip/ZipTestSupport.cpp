#include "ZipTestSupport.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>

#include "TempDir.h"

namespace torvane::zip::test {

std::vector<std::string> Recorder::items() const {
    std::vector<std::string> out;
    for (const auto& e : events)
        if (e.kind == 'i') out.push_back(e.text);
    return out;
}

bool hasTool(const std::string& name) { return run("command -v " + name); }

bool run(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

std::string quote(const std::filesystem::path& p) { return "'" + p.string() + "'"; }

std::map<std::string, FileFacts> snapshot(const std::filesystem::path& root) {
    std::map<std::string, FileFacts> out;
    for (auto it = std::filesystem::recursive_directory_iterator(root); it != decltype(it)();
         ++it) {
        if (!it->is_regular_file() || it->is_symlink()) continue;
        struct stat st {};
        ::stat(it->path().c_str(), &st);
        out[it->path().lexically_relative(root).generic_string()] =
            FileFacts{torvane::test::readFile(it->path()), static_cast<unsigned>(st.st_mode & 0777),
                      static_cast<long long>(st.st_mtim.tv_sec)};
    }
    return out;
}

std::vector<std::string> allEntries(const std::filesystem::path& root) {
    std::vector<std::string> out;
    if (!std::filesystem::exists(root)) return out;
    for (const auto& e : std::filesystem::recursive_directory_iterator(root))
        out.push_back(e.path().lexically_relative(root).generic_string());
    std::sort(out.begin(), out.end());
    return out;
}

void setMtime(const std::filesystem::path& p, long long seconds) {
    struct timespec t[2];
    t[0].tv_sec = t[1].tv_sec = static_cast<time_t>(seconds);
    t[0].tv_nsec = t[1].tv_nsec = 0;
    ::utimensat(AT_FDCWD, p.c_str(), t, 0);
}

BackupRequest backupOf(const std::filesystem::path& source, const std::filesystem::path& archive) {
    BackupRequest r;
    r.sourceFolder = source;
    r.nameBase = source;
    r.pattern = "*.*";
    r.recurse = true;
    r.archive = archive;
    return r;
}

}  // namespace torvane::zip::test
