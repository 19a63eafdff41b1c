#pragma once

#include <filesystem>
#include <functional>
#include <string_view>

namespace torvane::platform {

// Replaces (or creates) a file so that a crash or a full disk leaves either the old content
// or the new one: the bytes go to a temporary file in the same folder, are flushed, and the
// temporary is renamed over the target. The target's permission bits are kept; a new file gets
// the usual 0666 less the umask. Throws std::system_error with the host's reason.
void writeFileAtomically(const std::filesystem::path& target, std::string_view content);

// Test seam: called after the temporary file is complete and before the rename. A hook that
// throws simulates a failure at the worst moment; the temporary is removed and the error
// passes on to the caller.
class AtomicWriteFaultHook {
public:
    explicit AtomicWriteFaultHook(std::function<void(const std::filesystem::path&)> hook);
    ~AtomicWriteFaultHook();
    AtomicWriteFaultHook(const AtomicWriteFaultHook&) = delete;
    AtomicWriteFaultHook& operator=(const AtomicWriteFaultHook&) = delete;
};

// Reads a whole file; throws std::system_error (with errno's code) when it cannot be opened or
// read.
std::string readWholeFile(const std::filesystem::path& file);

// Test seam: an errno that readWholeFile reports for the files `refuses` picks, as a file the
// user may not read would (tests often run with rights that read everything).
class FileReadFaultHook {
public:
    FileReadFaultHook(std::function<bool(const std::filesystem::path&)> refuses, int error);
    ~FileReadFaultHook();
    FileReadFaultHook(const FileReadFaultHook&) = delete;
    FileReadFaultHook& operator=(const FileReadFaultHook&) = delete;
};

}  // namespace torvane::platform
