#pragma once

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "zip/PendingFile.h"
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

// The archive bytes on their way to disk. Each volume is a file without a name while it is
// written (a hidden temporary where the file system has no such files). A full volume is named
// NAME.z01, NAME.z02, ... before the next disk is asked for, since that disk may take the place
// of this one; commit() names the last one NAME.zip. A run that never commits removes the volumes
// it named and leaves NAME.zip as it was; a killed run leaves no temporary where the file system
// allows, and the next run of the same archive removes those it left elsewhere.
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

    std::uint32_t disk() const { return disk_; }
    std::uint64_t offset() const { return volumeBytes_; }

    // Member data: may continue on the next volume.
    void write(std::string_view data);
    // A header or end record: kept whole on one volume.
    void writeRecord(std::string_view record);
    // Makes room for `bytes` on the current volume, starting the next one if they do not fit.
    void reserve(std::uint64_t bytes);
    void commit();

  private:
    struct Named {
        std::filesystem::path path;
        dev_t dev;
        ino_t ino;
    };

    void startVolume();
    void finishVolume(const std::filesystem::path& name);
    void nextVolume();
    void flush();
    void rawWrite(const char* data, std::size_t size);
    std::uint64_t room() const;

    Options options_;
    std::filesystem::path folder_;
    std::uint32_t disk_ = 0;
    int dir_ = -1;
    std::unique_ptr<PendingFile> volume_;
    std::vector<Named> named_;  // volumes of this run that have their names
    int fd_ = -1;
    std::uint64_t volumeBytes_ = 0;
    std::uint64_t volumeLimit_ = 0;
    std::uint64_t written_ = 0;
    std::string buffer_;
    bool committed_ = false;
};

std::uint64_t hostFreeSpace(const std::filesystem::path& folder);
// The largest file a folder's file system can hold (FAT: 4 GiB - 1), by its type from statfs.
std::uint64_t hostLargestFile(const std::filesystem::path& folder);
std::uint64_t largestFileOn(std::int64_t fileSystemType);

// Names of the volumes of a split archive: NAME.z01, NAME.z02, ... for disks before the last.
std::filesystem::path volumePath(const std::filesystem::path& archive, std::uint32_t disk,
                                 std::uint32_t lastDisk);

}  // namespace torvane::zip
