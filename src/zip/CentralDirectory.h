#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "zip/ArchiveOutput.h"
#include "zip/Format.h"

namespace torvane::zip {

// The central directory of an archive being written, held as the very bytes it will be: a member
// costs its record and nothing else once its data is written.
class CentralDirectory {
  public:
    void add(const format::EntryRecord& entry);
    std::uint64_t entries() const { return entries_; }
    // Writes the directory and the end records, each record whole on one volume.
    void writeTo(ArchiveOutput& out) const;

  private:
    // Records in chunks of fixed capacity, so that growing never copies what is held.
    std::vector<std::string> chunks_;
    std::uint64_t entries_ = 0;
};

}  // namespace torvane::zip
