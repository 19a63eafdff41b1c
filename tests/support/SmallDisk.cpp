#include "SmallDisk.h"

#include <sys/mount.h>

#include <random>

namespace torvane::test {

SmallDisk::SmallDisk(std::filesystem::path folder, const std::string& size)
    : folder_(std::move(folder)) {
    std::filesystem::create_directories(folder_);
    mounted_ = ::mount("tmpfs", folder_.c_str(), "tmpfs", 0, ("size=" + size).c_str()) == 0;
}

SmallDisk::~SmallDisk() {
    if (mounted_) ::umount2(folder_.c_str(), MNT_DETACH);
}

bool SmallDisk::makeReadOnly() {
    return mounted_ &&
           ::mount(nullptr, folder_.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
}

std::string noise(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& ch : bytes) ch = static_cast<char>(random());
    return bytes;
}

}  // namespace torvane::test
