#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "ProfileFile.h"

namespace torvane::platform {

// The per-user settings store of one application: the file "<application>.ini" in the
// settings folder, read and written with the profile engine.
class SettingsStore {
public:
    SettingsStore(const std::filesystem::path& settingsFolder, std::string_view application);

    std::string get(std::string_view section, std::string_view key,
                    std::string_view fallback = {}) const;
    // Creates the settings folder when needed; throws std::system_error on failure.
    void save(std::string_view section, std::string_view key, std::string_view value);
    void deleteSection(std::string_view section);
    std::vector<std::string> sections() const { return file_.sections(); }

    // The whole store at once, for a caller that reads or changes many values: one read, one
    // write. Both throw std::system_error with the host's reason.
    ProfileDocument document() const { return file_.load(); }
    void saveDocument(const ProfileDocument& document);

private:
    ProfileFile file_;
};

}  // namespace torvane::platform
