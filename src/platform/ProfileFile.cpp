#include "ProfileFile.h"

#include <system_error>

#include "AtomicFile.h"

namespace torvane::platform {

ProfileFile::ProfileFile(std::filesystem::path file) : file_(std::move(file)) {}

ProfileDocument ProfileFile::load() const {
    try {
        return ProfileDocument(readWholeFile(file_));
    } catch (const std::system_error& e) {
        if (e.code() == std::errc::no_such_file_or_directory) return {};
        throw;
    }
}

ProfileDocument ProfileFile::loadOrEmpty() const {
    try {
        return load();
    } catch (const std::system_error&) {
        return {};
    }
}

void ProfileFile::save(const ProfileDocument& document) {
    writeFileAtomically(file_, document.text());
}

std::string ProfileFile::get(std::string_view section, std::string_view key,
                             std::string_view fallback) const {
    return loadOrEmpty().get(section, key, fallback);
}

std::vector<std::string> ProfileFile::keys(std::string_view section) const {
    return loadOrEmpty().keys(section);
}

std::vector<std::string> ProfileFile::sections() const { return loadOrEmpty().sections(); }

void ProfileFile::write(std::string_view section, std::string_view key, std::string_view value) {
    ProfileDocument document = load();
    document.set(section, key, value);
    save(document);
}

void ProfileFile::deleteSection(std::string_view section) {
    ProfileDocument document = load();
    if (document.removeSection(section)) save(document);
}

}  // namespace torvane::platform
