#include "SettingsStore.h"

namespace torvane::platform {

SettingsStore::SettingsStore(const std::filesystem::path& settingsFolder, std::string_view application)
    : file_(settingsFolder / (std::string(application) + ".ini")) {}

std::string SettingsStore::get(std::string_view section, std::string_view key,
                               std::string_view fallback) const {
    return file_.get(section, key, fallback);
}

void SettingsStore::save(std::string_view section, std::string_view key, std::string_view value) {
    std::filesystem::create_directories(file_.path().parent_path());
    file_.write(section, key, value);
}

void SettingsStore::deleteSection(std::string_view section) { file_.deleteSection(section); }

void SettingsStore::saveDocument(const ProfileDocument& document) {
    std::filesystem::create_directories(file_.path().parent_path());
    file_.save(document);
}

}  // namespace torvane::platform
