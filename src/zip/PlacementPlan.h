#pragma once

// Where each member of an archive lands below the destination, decided in archive order before
// any worker starts, so that the tree a restore leaves never depends on which worker ran first.
// A later file of the same name replaces an earlier one, as a restore one member after the other
// would; a member that cannot be placed beside those before it (a file where an earlier member
// made a folder, or the reverse) is refused and reported, and never displaces the earlier one.

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "zip/Reader.h"

namespace torvane::zip {

class PlacementPlan {
  public:
    enum class Verdict : std::uint8_t {
        Place,   // write it
        Skip,    // nothing to write: a later member replaces it, or it names the destination
        Refuse,  // report reason()
    };

    explicit PlacementPlan(const std::vector<Entry>& entries);

    Verdict verdict(std::size_t i) const { return verdicts_[i]; }
    // "name: refused: why", the name shown escaped; only for a refused member.
    const std::string& reason(std::size_t i) const { return reasons_.at(i); }

  private:
    void refuse(std::size_t i, const std::string& name, const std::string& why);

    std::vector<Verdict> verdicts_;
    std::unordered_map<std::size_t, std::string> reasons_;
};

}  // namespace torvane::zip
