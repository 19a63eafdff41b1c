#pragma once

#include <filesystem>
#include <functional>
#include <string_view>

namespace torvane::platform {

// Replaces (or creates) a file so that a crash or a full disk leaves either the old content
// or the new one: the bytes go to a temporary file in the same folder, are flushed, and the
// temporary is renamed over the target. Throws std::system_error with the host's reason.
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

// Reads a whole file; throws std::system_error when it cannot be opened or read.
std::string readWholeFile(const std::filesystem::path& file);

}  // namespace torvane::platform
