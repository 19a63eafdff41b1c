#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Host.h"

namespace torvane::scheduler {

// File services of the scheduler: locating the utility on its drive and splitting paths.
// All paths here are drive paths (C:\...); the host is consulted only to list folders.
class clsFiles {
public:
    // `currentFolder` is the host folder the process was started in.
    clsFiles(const platform::Host& host, std::filesystem::path currentFolder);

    std::int32_t ClassDebugID() const { return classDebugId_; }

    // The drive path of the first file named `FileName` (compared without regard to ASCII case)
    // in the current folder, the scheduler's own folder, then `Path` and below it depth-first;
    // empty when there is none. The walk never follows a directory symlink and never enters a
    // pseudo file system such as /proc, /sys or /dev, where it would loop or never end.
    std::string FindFile(const std::string& FileName, const std::string& Path) const;

    static std::string StripNull(std::string_view WhatStr);
    static std::string GetRDP(std::string_view sPath);
    // 0: drive root such as "C:\" (the program folder's for a path without one);
    // 1: folder up to and including the last "\"; 2: the file name after it.
    std::string Backup_Parts(std::string_view sPath, int iType) const;

private:
    std::string findIn(const std::string& fileName, const std::string& drivePath,
                       const std::filesystem::path& hostFolder) const;
    std::string walk(const std::string& fileName, const std::string& drivePath,
                     const std::filesystem::path& hostFolder, const std::vector<std::string>& pseudoMounts) const;

    const platform::Host& host_;
    std::filesystem::path currentFolder_;
    std::int32_t classDebugId_;
};

}  // namespace torvane::scheduler
