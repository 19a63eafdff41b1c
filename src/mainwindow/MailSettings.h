#pragma once

#include <filesystem>
#include <string>

namespace torvane {

// Where the log goes by e-mail and how to reach the mail server: the section "Mail" of the
// utility's settings store. A server URL "smtp://" is plain SMTP, upgraded with STARTTLS when
// `startTls` is set; "smtps://" is TLS from the first byte.
struct MailSettings {
    std::string server = "smtp://localhost:25";
    bool startTls = false;
    std::string user;  // empty: no login
    std::string password;
    std::string sender;
    std::string recipient = "support@quorrin.example";
    // A certificate file (PEM, drive path) trusted in place of the system's authorities, for a
    // server whose certificate is of its owner's own making; empty for the system's.
    std::string certificate;
    // The log also goes out, without a question, after an unattended run that went wrong.
    bool mailOnFailure = false;
    bool serverStored = false;  // false until the user has saved a server

    // The stored settings, defaults where none is stored; the sender defaults to the user's
    // login name at the host name.
    static MailSettings load(const std::filesystem::path& settingsFolder);
    // Stores all of them. The settings file holds the password, so it is made readable and
    // writable by its owner only before the password goes in. Throws std::system_error.
    void save(const std::filesystem::path& settingsFolder) const;
};

std::string defaultMailSender();

// An address that can go into the envelope and the headers as it stands: no blanks, control
// characters, brackets or commas that could start another header or recipient.
bool isPlainMailAddress(const std::string& address);

// Why the settings cannot be used, or empty when they can.
std::string mailSettingsProblem(const MailSettings& settings);

}  // namespace torvane
