#include "MailSettings.h"

#include <pwd.h>
#include <unistd.h>

#include <fstream>
#include <system_error>

#include "platform/AsciiCase.h"
#include "platform/SettingsStore.h"

namespace torvane {

namespace {

constexpr const char* kApplication = "Torvane";
constexpr const char* kSection = "Mail";
// A profile value never holds a line end, so this fallback tells a missing key from an empty one.
constexpr const char* kMissing = "\n";

// Quotes keep leading and trailing blanks and quote marks of a value through the profile engine.
std::string quoted(const std::string& value) { return "\"" + value + "\""; }

void restrictToOwner(const std::filesystem::path& file) {
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) {
        std::filesystem::create_directories(file.parent_path());
        std::ofstream create(file, std::ios::binary | std::ios::app);
        if (!create)
            throw std::system_error(errno, std::generic_category(),
                                    "Unable to create " + file.string());
    }
    std::filesystem::permissions(
        file, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write,
        std::filesystem::perm_options::replace);
}

}  // namespace

std::string defaultMailSender() {
    std::string user;
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_name) user = pw->pw_name;
    if (user.empty()) user = "torvane";
    char host[256] = {};
    if (::gethostname(host, sizeof host - 1) != 0 || host[0] == '\0') return user + "@localhost";
    return user + "@" + host;
}

bool isPlainMailAddress(const std::string& address) {
    if (address.empty()) return false;
    for (const unsigned char c : address)
        if (c < 0x21 || c == 0x7f || c == '<' || c == '>' || c == ',') return false;
    return true;
}

std::string mailSettingsProblem(const MailSettings& settings) {
    const std::string server = platform::asciiUpper(settings.server);
    const size_t host = server.starts_with("SMTP://") ? 7 : server.starts_with("SMTPS://") ? 8 : 0;
    if (host == 0 || host == server.size())
        return "The Mail Server must be written as smtp://host:port or smtps://host:port.";
    if (!isPlainMailAddress(settings.sender) || settings.sender.find('@') == std::string::npos)
        return "The Sender is not an E-Mail address.";
    if (!isPlainMailAddress(settings.recipient) ||
        settings.recipient.find('@') == std::string::npos)
        return "The Recipient is not an E-Mail address.";
    return {};
}

MailSettings MailSettings::load(const std::filesystem::path& settingsFolder) {
    const platform::SettingsStore store(settingsFolder, kApplication);
    MailSettings s;
    const std::string server = store.get(kSection, "Server", kMissing);
    s.serverStored = server != kMissing;
    if (s.serverStored) s.server = server;
    s.startTls = store.get(kSection, "StartTLS", "OFF") == "ON";
    s.user = store.get(kSection, "User");
    s.password = store.get(kSection, "Password");
    s.sender = store.get(kSection, "Sender");
    if (s.sender.empty()) s.sender = defaultMailSender();
    s.recipient = store.get(kSection, "Recipient", s.recipient);
    s.certificate = store.get(kSection, "Certificate");
    s.mailOnFailure = store.get(kSection, "MailOnFailure", "OFF") == "ON";
    return s;
}

void MailSettings::save(const std::filesystem::path& settingsFolder) const {
    platform::SettingsStore store(settingsFolder, kApplication);
    restrictToOwner(settingsFolder / (std::string(kApplication) + ".ini"));
    store.save(kSection, "Server", server);
    store.save(kSection, "StartTLS", startTls ? "ON" : "OFF");
    store.save(kSection, "User", quoted(user));
    store.save(kSection, "Password", quoted(password));
    store.save(kSection, "Sender", sender);
    store.save(kSection, "Recipient", recipient);
    store.save(kSection, "Certificate", certificate);
    store.save(kSection, "MailOnFailure", mailOnFailure ? "ON" : "OFF");
}

}  // namespace torvane
