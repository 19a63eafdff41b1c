#pragma once

#include <filesystem>
#include <string>

namespace torvane::test {

// A small file system (tmpfs) mounted on a folder for the life of the object, for runs that
// must meet a full or read-only disk. Mounting needs root; without it mounted() is false.
class SmallDisk {
  public:
    explicit SmallDisk(std::filesystem::path folder, const std::string& size = "512k");
    ~SmallDisk();
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool mounted() const { return mounted_; }
    // Remounts it read-only; true when that worked.
    bool makeReadOnly();

  private:
    std::filesystem::path folder_;
    bool mounted_ = false;
};

// `size` bytes that do not compress, the same for the same seed.
std::string noise(std::size_t size, unsigned seed);

}  // namespace torvane::test
