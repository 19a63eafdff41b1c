#include "zip/PlacementPlan.h"

#include <deque>
#include <string_view>

#include "platform/PrintableText.h"
#include "zip/Format.h"
#include "zip/SafePath.h"

namespace torvane::zip {
namespace {

// Some tools store an empty folder's data as a two-byte empty deflate stream, which holds
// nothing; stored bytes or a size say the entry holds data that would be dropped.
bool carriesData(const Entry& e) {
    return e.info.size > 0 || (e.info.method == format::kMethodStored && e.info.compressedSize > 0);
}

bool regularOrUntyped(std::uint32_t mode) {
    std::uint32_t type = mode & 0170000;
    return type == 0 || type == 0100000;
}

std::string joined(const std::vector<std::string>& parts) {
    std::string key = parts.front();
    for (std::size_t i = 1; i < parts.size(); ++i) key += "/" + parts[i];
    return key;
}

struct Claim {
    bool file;
    std::size_t index;
};

}  // namespace

void PlacementPlan::refuse(std::size_t i, const std::string& name, const std::string& why) {
    verdicts_[i] = Verdict::Refuse;
    reasons_[i] = platform::printable(name) + ": refused: " + why;
}

PlacementPlan::PlacementPlan(const std::vector<Entry>& entries)
    : verdicts_(entries.size(), Verdict::Place) {
    // Paths as written in the archive, "/"-joined; most names already are, and are viewed in
    // place rather than copied.
    std::deque<std::string> rewritten;
    std::unordered_map<std::string_view, Claim> claims;
    claims.reserve(entries.size());
    std::vector<std::string_view> newFolders;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const Entry& e = entries[i];
        const std::string& name = e.info.name;
        const bool folder = e.info.isDirectory;
        if (folder && carriesData(e)) {
            refuse(i, name, "a folder entry that carries data");
            continue;
        }
        std::string why;
        std::vector<std::string> parts = memberComponents(name, why);
        if (parts.empty()) {
            // Some tools store the archive's own root as "./"; it names the destination itself.
            if (folder && why == kNoComponents)
                verdicts_[i] = Verdict::Skip;
            else
                refuse(i, name, why);
            continue;
        }
        if (e.symlink) {
            refuse(i, name, "symbolic links are not created");
            continue;
        }
        if (!folder && !regularOrUntyped(e.info.mode)) {
            refuse(i, name, "not a regular file (device, FIFO or socket entry)");
            continue;
        }

        std::string key = joined(parts);
        std::string_view path;
        if (name.compare(0, key.size(), key) == 0 &&
            (name.size() == key.size() || (name.size() == key.size() + 1 && name.back() == '/')))
            path = std::string_view(name).substr(0, key.size());
        else
            path = rewritten.emplace_back(std::move(key));

        // Folders above it: those not yet claimed are made by this member; a claimed folder's
        // own folders were checked when it was claimed.
        newFolders.clear();
        bool blocked = false;
        for (std::size_t cut = path.rfind('/'); cut != std::string_view::npos;
             cut = cut == 0 ? std::string_view::npos : path.rfind('/', cut - 1)) {
            std::string_view up = path.substr(0, cut);
            auto it = claims.find(up);
            if (it == claims.end()) {
                newFolders.push_back(up);
                continue;
            }
            if (it->second.file) {
                refuse(i, name,
                       platform::printable(up) + " is a file earlier in the archive, not a folder");
                blocked = true;
            }
            break;
        }
        if (blocked) continue;
        auto it = claims.find(path);
        if (it != claims.end()) {
            if (folder && it->second.file) {
                refuse(i, name, "a file of the same name comes earlier in the archive");
                continue;
            }
            if (!folder && !it->second.file) {
                refuse(i, name, "a folder of the same name comes earlier in the archive");
                continue;
            }
            if (!folder) {
                verdicts_[it->second.index] = Verdict::Skip;
                it->second.index = i;
            }
        } else {
            claims.emplace(path, Claim{!folder, i});
        }
        for (std::string_view up : newFolders) claims.emplace(up, Claim{false, i});
    }
}

}  // namespace torvane::zip
