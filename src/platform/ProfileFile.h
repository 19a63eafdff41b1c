#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "ProfileDocument.h"

namespace torvane::platform {

// The private-profile engine: INI files read and written the way the programs' users expect
// from their desktop (the rules of ProfileDocument). Each rewrite is atomic.
//
// A file that does not exist reads as empty. A file that exists but cannot be read is never
// taken as empty by anything that writes: load() and every write throw std::system_error with
// the host's reason and leave the file as it is.
class ProfileFile {
public:
    explicit ProfileFile(std::filesystem::path file);

    const std::filesystem::path& path() const { return file_; }

    ProfileDocument load() const;
    // Replaces the whole file with the document's text.
    void save(const ProfileDocument& document);

    // Single reads, for callers that only show a value: a missing or unreadable file, section
    // or key gives `fallback`.
    std::string get(std::string_view section, std::string_view key,
                    std::string_view fallback = {}) const;
    std::vector<std::string> keys(std::string_view section) const;
    std::vector<std::string> sections() const;

    void write(std::string_view section, std::string_view key, std::string_view value);
    // Removes the section's header and every line up to the next section.
    void deleteSection(std::string_view section);

private:
    ProfileDocument loadOrEmpty() const;

    std::filesystem::path file_;
};

}  // namespace torvane::platform
