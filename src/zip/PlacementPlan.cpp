#include "zip/PlacementPlan.h"

#include <cstdint>
#include <deque>
#include <functional>
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

// A path as the plan keeps it: the start of a member's name, or of a name rewritten "/"-joined.
struct PathRef {
    std::uint32_t source;  // the member, or the rewritten path
    bool rewritten;
};

struct Rewritten {
    std::uint32_t member;
    std::string path;
};

// The paths claimed so far, each by a file or a folder. A node-based map takes some 70 bytes a
// path, as many as a million-member archive's entries themselves; a slot here takes 8 and refers
// to the path where it already lies. Open addressing with linear probing, at most 70 % full.
class Claims {
  public:
    struct Slot {
        std::uint32_t source;
        std::uint16_t length;    // 0 for an empty slot; no path is empty
        std::uint16_t tag : 14;  // more bits of the hash, which spare most comparisons of paths
        std::uint16_t file : 1;
        std::uint16_t rewritten : 1;
    };
    static_assert(sizeof(Slot) == 8);
    // A path's length is kept in 16 bits, as an archive keeps a name's.
    static constexpr std::size_t kLongestPath = 0xFFFF;

    Claims(const std::vector<Entry>& entries, const std::deque<Rewritten>& rewritten)
        : entries_(entries), rewritten_(rewritten), slots_(entries.size() * 3 / 2 + 16, Slot{}) {}

    // The claim on `path`, or null; valid until the next add.
    Slot* find(std::string_view path) {
        const std::uint64_t hash = hashOf(path);
        for (std::size_t at = home(hash);; at = next(at)) {
            Slot& s = slots_[at];
            if (s.length == 0) return nullptr;
            if (s.tag == tagOf(hash) && s.length == path.size() && pathOf(s) == path) return &s;
        }
    }

    void add(std::string_view path, PathRef ref, bool file) {
        if ((used_ + 1) * 10 > slots_.size() * 7) grow();
        const std::uint64_t hash = hashOf(path);
        place(Slot{ref.source, static_cast<std::uint16_t>(path.size()), tagOf(hash), file,
                   ref.rewritten},
              hash);
        ++used_;
    }

    void repoint(Slot& s, PathRef ref) {
        s.source = ref.source;
        s.rewritten = ref.rewritten;
    }

    // The member that claimed a path.
    std::size_t member(const Slot& s) const {
        return s.rewritten ? rewritten_[s.source].member : s.source;
    }

  private:
    static std::uint64_t hashOf(std::string_view path) {
        return std::hash<std::string_view>{}(path);
    }
    static std::uint16_t tagOf(std::uint64_t hash) {
        return static_cast<std::uint16_t>(hash >> 50);
    }
    // The table's size need not be a power of two: the hash's low half is scaled to it.
    std::size_t home(std::uint64_t hash) const {
        return static_cast<std::size_t>(((hash & 0xFFFFFFFFu) * slots_.size()) >> 32);
    }
    std::size_t next(std::size_t at) const { return at + 1 == slots_.size() ? 0 : at + 1; }
    std::string_view pathOf(const Slot& s) const {
        const std::string& full =
            s.rewritten ? rewritten_[s.source].path : entries_[s.source].info.name;
        return std::string_view(full).substr(0, s.length);
    }
    void place(const Slot& s, std::uint64_t hash) {
        std::size_t at = home(hash);
        while (slots_[at].length != 0) at = next(at);
        slots_[at] = s;
    }
    void grow() {
        std::vector<Slot> old(slots_.size() * 2, Slot{});
        old.swap(slots_);
        for (const Slot& s : old)
            if (s.length != 0) place(s, hashOf(pathOf(s)));
    }

    const std::vector<Entry>& entries_;
    const std::deque<Rewritten>& rewritten_;
    std::vector<Slot> slots_;
    std::size_t used_ = 0;
};

}  // namespace

void PlacementPlan::refuse(std::size_t i, const std::string& name, const std::string& why) {
    verdicts_[i] = Verdict::Refuse;
    reasons_[i] = platform::printable(name) + ": refused: " + why;
}

PlacementPlan::PlacementPlan(const std::vector<Entry>& entries)
    : verdicts_(entries.size(), Verdict::Place) {
    // Paths as written in the archive, "/"-joined; most names already are, and are referred to
    // in place rather than copied.
    std::deque<Rewritten> rewritten;
    Claims claims(entries, rewritten);
    std::vector<std::size_t> newFolders;  // lengths of the path's leading folders
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

        if (name.size() > Claims::kLongestPath) {
            refuse(i, name, "name longer than an archive can hold");
            continue;
        }

        std::string key = joined(parts);
        std::string_view path;
        PathRef ref{static_cast<std::uint32_t>(i), false};
        if (name.compare(0, key.size(), key) == 0 &&
            (name.size() == key.size() || (name.size() == key.size() + 1 && name.back() == '/'))) {
            path = std::string_view(name).substr(0, key.size());
        } else {
            ref = {static_cast<std::uint32_t>(rewritten.size()), true};
            rewritten.push_back({static_cast<std::uint32_t>(i), std::move(key)});
            path = rewritten.back().path;
        }

        // Folders above it: those not yet claimed are made by this member; a claimed folder's
        // own folders were checked when it was claimed.
        newFolders.clear();
        bool blocked = false;
        for (std::size_t cut = path.rfind('/'); cut != std::string_view::npos;
             cut = cut == 0 ? std::string_view::npos : path.rfind('/', cut - 1)) {
            std::string_view up = path.substr(0, cut);
            const Claims::Slot* above = claims.find(up);
            if (!above) {
                newFolders.push_back(cut);
                continue;
            }
            if (above->file) {
                refuse(i, name,
                       platform::printable(up) + " is a file earlier in the archive, not a folder");
                blocked = true;
            }
            break;
        }
        if (blocked) continue;
        if (Claims::Slot* same = claims.find(path)) {
            if (folder && same->file) {
                refuse(i, name, "a file of the same name comes earlier in the archive");
                continue;
            }
            if (!folder && !same->file) {
                refuse(i, name, "a folder of the same name comes earlier in the archive");
                continue;
            }
            if (!folder) {
                verdicts_[claims.member(*same)] = Verdict::Skip;
                claims.repoint(*same, ref);
            }
        } else {
            claims.add(path, ref, !folder);
        }
        for (std::size_t length : newFolders) claims.add(path.substr(0, length), ref, false);
    }
}

}  // namespace torvane::zip
