#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "zip/ZipEngine.h"

namespace torvane::zip {

// A write failure, carrying the host's reason.
class WriteFailure : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// A multi-volume run that could not get its next disk.
class NoNextDisk : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The archive bytes on their way to disk. Everything goes to temporary files beside the archive;
// commit() renames them to their final names (NAME.z01 ... and NAME.zip last), and a run that
// never commits leaves nothing behind and the previous archive untouched.
class ArchiveOutput {
  public:
    struct Options {
        std::filesystem::path archive;
        bool multiVolume = false;
        std::optional<std::uint64_t> volumeSize;
        std::function<bool(int)> nextDisk;
        Faults faults;
    };

    explicit ArchiveOutput(Options options);
    ~ArchiveOutput();
    ArchiveOutput(const ArchiveOutput&) = delete;
    ArchiveOutput& operator=(const ArchiveOutput&) = delete;

    std::uint32_t disk() const { return static_cast<std::uint32_t>(volumes_.size() - 1); }
    std::uint64_t offset() const { return volumeBytes_; }

    // Member data: may continue on the next volume.
    void write(std::string_view data);
    // A header or end record: kept whole on one volume.
    void writeRecord(std::string_view record);
    // Makes room for `bytes` on the current volume, starting the next one if they do not fit.
    void reserve(std::uint64_t bytes);
    void commit();

  private:
    void startVolume();
    void finishVolume();
    void flush();
    void rawWrite(const char* data, std::size_t size);
    std::uint64_t room() const;

    Options options_;
    std::vector<std::filesystem::path> volumes_;  // temporary names, in order
    int fd_ = -1;
    std::uint64_t volumeBytes_ = 0;
    std::uint64_t volumeLimit_ = 0;
    std::uint64_t written_ = 0;
    std::string buffer_;
    bool committed_ = false;
};

std::uint64_t hostFreeSpace(const std::filesystem::path& folder);

// Names of the volumes of a split archive: NAME.z01, NAME.z02, ... for disks before the last.
std::filesystem::path volumePath(const std::filesystem::path& archive, std::uint32_t disk,
                                 std::uint32_t lastDisk);

}  // namespace torvane::zip
