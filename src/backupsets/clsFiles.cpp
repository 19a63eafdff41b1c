#include "clsFiles.h"

#include <system_error>

#include "backupsets/clsString.h"
#include "common/TorvaneError.h"
#include "platform/AsciiCase.h"
#include "platform/AtomicFile.h"
#include "platform/ProfileFile.h"

namespace torvane {

namespace {

constexpr size_t kMaxValue = 254;

// The words an unreadable file is reported in, by its name as the caller gave it: the host's
// reason without the host path.
[[noreturn]] void throwUnreadable(const std::string& source, const std::string& sFileName,
                                  const std::system_error& e) {
    const size_t slash = sFileName.find_last_of('\\');
    const std::string name = slash == std::string::npos ? sFileName : sFileName.substr(slash + 1);
    throw TorvaneError(source, "File " + name + " cannot be read: " + e.code().message() + ".");
}

bool isDirectory(const platform::Host& host, const std::string& drivePath) {
    if (drivePath.empty()) return false;
    const auto p = host.resolve(drivePath);
    std::error_code ec;
    return p && std::filesystem::is_directory(*p, ec);
}

std::string joinLines(const std::string& content) {
    std::string out;
    size_t pos = 0;
    bool first = true;
    while (pos < content.size()) {
        size_t nl = content.find('\n', pos);
        const size_t stop = nl == std::string::npos ? content.size() : nl;
        size_t end = stop;
        if (end > pos && content[end - 1] == '\r') --end;
        if (!first) out += "\r\n";
        out += content.substr(pos, end - pos);
        first = false;
        pos = stop + 1;
    }
    return out;
}

}  // namespace

clsFiles::clsFiles(AppContext& context) : context_(context) {}

platform::ProfileDocument clsFiles::LoadINI(const std::string& sFileName) {
    const auto file = context_.host.resolve(sFileName);
    if (!file) return {};
    try {
        return platform::ProfileFile(*file).load();
    } catch (const std::system_error& e) {
        throwUnreadable("clsFiles:LoadINI Method", sFileName, e);
    }
}

std::string clsFiles::ReadINI(const platform::ProfileDocument& ini, const std::string& sSection,
                              const std::string& sKeyName) {
    std::string value = ini.get(sSection, sKeyName);
    if (value.size() > kMaxValue) value.resize(kMaxValue);
    return value;
}

void clsFiles::WriteINI(const std::string& sSection, const std::string& sKeyName,
                        const std::string& sNewString, const std::string& sFileName) {
    wrapErrors("clsFiles:WriteINI Method", [&] {
        const auto file = context_.host.resolve(sFileName);
        if (!file) throw std::runtime_error("Path not found: " + sFileName);
        platform::ProfileFile(*file).write(sSection, sKeyName, sNewString);
    });
}

bool clsFiles::Exist(const std::string& sFileName, bool bIsFile) {
    if (sFileName.empty()) return true;
    try {
        const platform::Host& host = context_.host;
        const std::string programFolder = host.programFolder();
        if (host.driveType(backupParts(programFolder, sFileName, 0)) <= platform::kDriveNoRoot) return false;
        if (!bIsFile) return isDirectory(host, sFileName);

        const std::string folder = backupParts(programFolder, sFileName, 1);
        if (!isDirectory(host, folder)) return false;
        const std::string name = backupParts(programFolder, sFileName, 2);
        if (name == "*.*") return true;
        const auto hostFolder = host.resolve(folder);
        std::error_code ec;
        for (std::filesystem::directory_iterator it(*hostFolder, ec), end; !ec && it != end; it.increment(ec)) {
            std::error_code typeEc;
            if (!it->is_regular_file(typeEc)) continue;
            if (platform::iequals(it->path().filename().string(), name)) return true;
        }
        return false;
    } catch (...) {
        return false;
    }
}

std::optional<std::string> clsFiles::programFile(const std::string& sFileName) {
    const std::string path = context_.host.programFolder() + "\\" + sFileName;
    if (!Exist(path, true)) return std::nullopt;
    try {
        return platform::readWholeFile(*context_.host.resolve(path));
    } catch (const std::system_error& e) {
        throwUnreadable("clsFiles:Show_INI Method", sFileName, e);
    }
}

void clsFiles::Show_INI(const std::string&, const std::string& sFileName, TextBox& Temp_TextBox,
                        const std::function<void(const std::string&)>& setCaption) {
    const auto content = programFile(sFileName);
    // An empty file shows as an empty box rather than failing on its first line.
    Temp_TextBox.setText(content ? joinLines(*content) : std::string());
    if (!platform::iequals(sFileName, "Torvane.Log") && setCaption) setCaption("INI File Contents - " + sFileName);
}

void clsFiles::Show_INIQuick(const std::string&, const std::string& sFileName, TextBox& Temp_TextBox) {
    const auto content = programFile(sFileName);
    Temp_TextBox.setText(content.value_or(std::string()));
}

}  // namespace torvane
