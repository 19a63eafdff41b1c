#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace torvane::platform {

// The private-profile engine: INI files read and written the way the programs' users expect
// from their desktop. Sections and keys match without regard to ASCII case and the first match
// wins; blanks around keys and values are trimmed and a value in matching quotes loses them.
// A write touches only the line of its key (or adds the section and key) and keeps every other
// byte; each rewrite is atomic.
class ProfileFile {
public:
    explicit ProfileFile(std::filesystem::path file);

    const std::filesystem::path& path() const { return file_; }

    // Missing file, section or key give `fallback`.
    std::string get(std::string_view section, std::string_view key,
                    std::string_view fallback = {}) const;
    // Keys of the first matching section, in file order, without duplicates.
    std::vector<std::string> keys(std::string_view section) const;
    std::vector<std::string> sections() const;

    // Throws std::system_error with the host's reason when the file cannot be written.
    void write(std::string_view section, std::string_view key, std::string_view value);
    // Removes the section's header and every line up to the next section.
    void deleteSection(std::string_view section);

private:
    std::filesystem::path file_;
};

}  // namespace torvane::platform
