#include "Retention.h"

#include <algorithm>
#include <system_error>

#include "platform/AsciiCase.h"

namespace torvane {

namespace fs = std::filesystem;

namespace {

bool allDigits(std::string_view s) {
    return !s.empty() &&
           std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// NAME.zip, or a volume NAME.z01, NAME.z02 ... NAME.z100 ...
bool isArchiveFile(std::string_view file, std::string_view archiveName) {
    if (archiveName.size() < 4) return false;
    const std::string_view stem = archiveName.substr(0, archiveName.size() - 4);
    if (platform::iequals(file, archiveName)) return true;
    if (file.size() < stem.size() + 4 || !platform::iequals(file.substr(0, stem.size()), stem))
        return false;
    const std::string_view ext = file.substr(stem.size());
    return platform::iequals(ext.substr(0, 2), ".z") && ext.size() >= 4 && allDigits(ext.substr(2));
}

bool sameFolder(const fs::path& a, const fs::path& b) {
    std::error_code ec;
    return (a / "").lexically_normal() == (b / "").lexically_normal() || fs::equivalent(a, b, ec);
}

// Only the archive's own files go; a file that came in after the check keeps its folder, and
// the folder's removal then fails with the host's reason.
Removal removeBackup(const fs::path& folder, const std::string& archiveName) {
    Removal r{folder, {}};
    std::error_code ec;
    std::vector<fs::path> files;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        if (isArchiveFile(it->path().filename().string(), archiveName)) files.push_back(it->path());
    for (const fs::path& file : files)
        if (!ec) fs::remove(file, ec);
    // Removes the folder only when it is empty.
    if (!ec) fs::remove(folder, ec);
    if (ec) r.error = ec.message();
    return r;
}

}  // namespace

bool isStampFolder(std::string_view name) {
    return name.size() == 15 && name[8] == '_' && allDigits(name.substr(0, 8)) &&
           allDigits(name.substr(9));
}

std::vector<fs::path> stampFolders(const fs::path& destination) {
    std::vector<fs::path> out;
    std::error_code ec;
    for (fs::directory_iterator it(destination, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeEc;
        if (isStampFolder(it->path().filename().string()) && it->is_directory(typeEc) &&
            !it->is_symlink(typeEc))
            out.push_back(it->path());
    }
    return out;
}

bool holdsOnlyArchive(const fs::path& folder, const std::string& archiveName) {
    bool archive = false;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeEc;
        const std::string name = it->path().filename().string();
        if (!it->is_regular_file(typeEc) || it->is_symlink(typeEc) ||
            !isArchiveFile(name, archiveName))
            return false;
        archive = archive || platform::iequals(name, archiveName);
    }
    return !ec && archive;
}

std::vector<Removal> removeOldBackups(const fs::path& destination, const std::string& archiveName,
                                      unsigned keep, const std::vector<fs::path>& spared) {
    if (keep == 0) return {};
    std::vector<fs::path> backups;
    for (const fs::path& folder : stampFolders(destination))
        if (holdsOnlyArchive(folder, archiveName)) backups.push_back(folder);
    std::sort(backups.begin(), backups.end(),
              [](const fs::path& a, const fs::path& b) { return a.filename() > b.filename(); });
    std::vector<Removal> removals;
    for (std::size_t i = backups.size(); i-- > keep;) {
        const fs::path& folder = backups[i];
        if (std::any_of(spared.begin(), spared.end(),
                        [&](const fs::path& s) { return sameFolder(folder, s); }))
            continue;
        removals.push_back(removeBackup(folder, archiveName));
    }
    return removals;
}

}  // namespace torvane
