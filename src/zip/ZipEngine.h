#pragma once

// The archive engine: writes the backup archive and reads it back for listing and restore.
// Every call runs to completion on the calling thread and reports through Events on that same
// thread, so a window can forward them as queued signals in order.

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace torvane::zip {

// The three notifications the backup and restore windows handle.
class Events {
  public:
    virtual ~Events() = default;
    // A file starts: its text as the user knows it (a drive path for backup, a member for restore).
    virtual void item(const std::string& text) = 0;
    virtual void fileProgress(int percent) = 0;
    // Returns true to cancel; the run stops before it touches the next buffer.
    virtual bool overallProgress(int percent) = 0;
};

// Events that ignore everything and never cancel: listing, scripts, benchmarks.
class NoEvents : public Events {
  public:
    void item(const std::string&) override {}
    void fileProgress(int) override {}
    bool overallProgress(int) override { return false; }
};

// Seams through which tests provoke the faults a real disk rarely offers on demand.
struct Faults {
    // Archive or extracted-file writes fail with "No space left on device" once this many bytes
    // have been written in the run.
    std::optional<std::uint64_t> failWriteAfterBytes;
    // Files and folders that refuse to be read (as if their permissions said so); called from
    // worker threads for files, from the calling thread for the folders of a backup's selection.
    std::function<bool(const std::filesystem::path&)> failRead;
    // Free bytes of a folder; the host's statvfs when empty.
    std::function<std::uint64_t(const std::filesystem::path&)> freeSpace;
    // Called before each block of a file is read, with the block's offset; may change the file
    // (as another program would) or return an errno value to make that read fail. Worker threads.
    std::function<int(const std::filesystem::path&, std::uint64_t offset)> beforeRead;
    // The largest file a folder's file system can hold; the host's (from statfs) when empty.
    std::function<std::uint64_t(const std::filesystem::path&)> largestFile;
    // Restore workers after this many fail to start, as when the system runs out of threads.
    std::optional<int> failThreadStartAfter;
};

struct BackupRequest {
    std::filesystem::path sourceFolder;  // host folder the pattern applies in
    std::string pattern = "*.*";         // Windows wildcards, case-blind
    bool recurse = false;                // the same pattern in every subfolder
    // Folders below the source left out with everything in them (where the backups go).
    std::vector<std::filesystem::path> leaveOut;
    // Names left out below the source, as a set keeps them: Windows wildcards separated by ";",
    // case-blind, those ending in "\" for folders only. An excluded folder is never entered.
    std::string exclude;
    // Host folder of the drive root; member names are the files' paths below it.
    std::filesystem::path nameBase;
    // Host path -> text of the item notification; the host path itself when empty.
    std::function<std::string(const std::filesystem::path&)> itemText;
    std::filesystem::path archive;  // host path of NAME.zip; missing folders are created
    bool multiVolume = false;
    // Fixed volume size; otherwise each volume takes the destination's free space less a margin.
    std::optional<std::uint64_t> volumeSize;
    // Asked when a volume is full, with the number (1-based) of the volume about to start.
    // An unattended run answers false, which fails the run.
    std::function<bool(int volumeNumber)> nextDisk;
    // Deflate level, 1..9. At 5 the archive is still smaller than zip -6's and takes a fifth
    // less time than at 6, which would save under 1 % more.
    int level = 5;
    int threads = 0;  // compression threads; 0 = every core
    Faults faults;
};

struct RestoreRequest {
    std::filesystem::path archive;      // host path of NAME.zip (the last volume of a split set)
    std::filesystem::path destination;  // host folder; members are extracted below it
    // Host path of an extracted file -> text of the item notification; the member name when empty.
    std::function<std::string(const std::filesystem::path&)> itemText;
    // Asked with the 1-based number of a volume that is missing; false fails the run.
    std::function<bool(int volumeNumber)> nextDisk;
    int threads = 0;  // extraction threads; 0 = every core, at most eight
    Faults faults;
};

struct Outcome {
    enum class Status { Success, Cancelled, Failed };
    Status status = Status::Success;
    std::string reason;  // the host's or the engine's reason when not Success
    // Backup: files that could not be read, each "path: reason". Restore: members that failed,
    // each "name: reason". The run goes on past each of them.
    std::vector<std::string> skipped;
    // Backup: host paths of files that became shorter while they were read; each is stored as
    // read, complete up to where it ended.
    std::vector<std::string> changed = {};
};

struct VerifyRequest {
    std::filesystem::path archive;  // host path of NAME.zip (the last volume of a split set)
    // Member name -> text of the item notification; the member name when empty.
    std::function<std::string(const std::string&)> itemText;
    // Asked with the 1-based number of a volume that is missing; false fails the check.
    std::function<bool(int volumeNumber)> nextDisk;
    // Test seam: may change the archive after it was written, before it is read back.
    std::function<void(const std::filesystem::path&)> afterWrite;
};

struct Verification {
    enum class Status { Verified, Cancelled, Failed };
    Status status = Status::Verified;
    std::size_t files = 0;  // members read back whole
    std::string member;     // the member at fault; empty when the archive as a whole is
    std::string reason;
};

struct MemberInfo {
    std::string name;  // as stored, "/" separators
    std::uint64_t size = 0;
    std::uint64_t compressedSize = 0;
    std::uint16_t method = 0;
    std::uint32_t crc32 = 0;
    std::time_t modified = 0;
    std::uint32_t mode = 0;  // Unix mode bits when the archive carries them, else 0
    bool isDirectory = false;
};

// A malformed or unreadable archive; the message names the archive and what is wrong.
class ZipError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

Outcome createArchive(const BackupRequest& request, Events& events);
Outcome extractArchive(const RestoreRequest& request, Events& events);
// Reads a written archive back from the disk rather than the page cache: each member's local
// header against the central directory, its bytes inflated, size and CRC-32 checked.
Verification verifyArchive(const VerifyRequest& request, Events& events);
// Flips the first data byte of `member` in place: the damage the check above must find.
void flipMemberByte(const std::filesystem::path& archive, const std::string& member);
// Members in archive order. Throws ZipError on a malformed archive.
std::vector<MemberInfo> listArchive(const std::filesystem::path& archive,
                                    const std::function<bool(int)>& nextDisk = {});
// Removes the temporaries that runs killed before they finished left of `archive` and its
// volumes (on file systems without unnamed files): names of our own pattern only, of processes
// that no longer run. createArchive does so for its own archive.
void removeStaleTemporaries(const std::filesystem::path& archive);

}  // namespace torvane::zip
