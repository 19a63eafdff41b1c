#pragma once

// A file being extracted into a folder: nobody sees it under its name until it is complete.
// Where the file system allows, it has no name at all while it is written (an anonymous file
// linked in at the end), so a failed member or a killed process leaves neither a half-written
// file nor a temporary behind; elsewhere it is written under a hidden temporary name and
// renamed. A name that already exists is replaced in one rename, and a symbolic link there is
// replaced, never followed. The data is not forced to the device before the file is named (that
// would cost a restore of many small files dearly): after a power failure, the file system's
// own ordering decides what a just-restored file holds.

#include <string>

namespace torvane::zip {

class PendingFile {
  public:
    // How the file gets its name; Auto finds out what the file system and kernel allow.
    enum class Strategy { Auto, TemporaryName };

    // Creates the file for `leaf` in the open folder `dir`; throws std::system_error.
    PendingFile(int dir, std::string leaf, Strategy strategy = Strategy::Auto);
    ~PendingFile();  // an unpublished file disappears
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    int fd() const { return fd_; }

    // Gives the finished file its name, replacing what had it; throws std::system_error.
    void publish();
    // The same under another name than the one it was created for.
    void publishAs(std::string leaf);

  private:
    bool linkAnonymous(const char* name);
    void openTemporaryName();

    int dir_;
    std::string leaf_;
    std::string temporary_;  // the name the file has while written or while replacing, if any
    int fd_ = -1;
    bool anonymous_ = false;
    bool published_ = false;
};

}  // namespace torvane::zip
