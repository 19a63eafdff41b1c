#include "SmtpMailer.h"

#include <curl/curl.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <memory>
#include <mutex>

namespace torvane {

namespace {

template <typename T, void (*Free)(T*)>
struct Deleter {
    void operator()(T* p) const { Free(p); }
};
using EasyHandle = std::unique_ptr<CURL, Deleter<CURL, curl_easy_cleanup>>;
using Mime = std::unique_ptr<curl_mime, Deleter<curl_mime, curl_mime_free>>;
using StringList = std::unique_ptr<curl_slist, Deleter<curl_slist, curl_slist_free_all>>;

void append(StringList& list, const std::string& line) {
    curl_slist* grown = curl_slist_append(list.get(), line.c_str());
    if (!grown) throw std::bad_alloc();
    list.release();
    list.reset(grown);
}

// The library signs on (connect, greeting, STARTTLS, login) and sends in one call; the first
// MAIL FROM it writes marks the end of the sign-on.
int watchSignOn(CURL*, curl_infotype type, char* data, size_t size, void* signedOn) {
    if (type == CURLINFO_HEADER_OUT && std::string_view(data, size).starts_with("MAIL FROM:"))
        *static_cast<bool*>(signedOn) = true;
    return 0;
}

// RFC 5322 date in UTC, spelled out by hand so that the user's locale cannot change it.
std::string dateHeader() {
    static const char* const days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm utc{};
    ::gmtime_r(&now, &utc);
    char text[64];
    std::snprintf(text, sizeof text, "Date: %s, %02d %s %04d %02d:%02d:%02d +0000",
                  days[utc.tm_wday], utc.tm_mday, months[utc.tm_mon], utc.tm_year + 1900,
                  utc.tm_hour, utc.tm_min, utc.tm_sec);
    return text;
}

}  // namespace

MailResult sendMail(const MailSettings& settings, const MailMessage& message,
                    const std::filesystem::path& certificateFile) {
    static std::once_flag initialised;
    std::call_once(initialised, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });

    MailResult result;
    const auto fail = [&](CURLcode code, const std::string& reason) {
        result.code = code;
        result.reason = reason.empty() ? curl_easy_strerror(code) : reason;
        return result;
    };
    // An address is written into the envelope and the headers as it stands, so it may not
    // carry anything that would start another header or recipient.
    if (!isPlainMailAddress(settings.sender))
        return fail(CURLE_BAD_FUNCTION_ARGUMENT,
                    "The sender address \"" + settings.sender + "\" is not valid");
    if (!isPlainMailAddress(settings.recipient))
        return fail(CURLE_BAD_FUNCTION_ARGUMENT,
                    "The recipient address \"" + settings.recipient + "\" is not valid");

    // Whatever the handle points at outlives it: the handle goes first, and its clean-up still
    // talks to the server.
    char errors[CURL_ERROR_SIZE] = {};
    bool signedOn = false;
    StringList recipients;
    StringList headers;
    Mime mime;
    const EasyHandle curl(curl_easy_init());
    if (!curl) return fail(CURLE_FAILED_INIT, "");
    CURL* h = curl.get();
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, errors);
    curl_easy_setopt(h, CURLOPT_URL, settings.server.c_str());
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "smtp,smtps");
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, 30L);
    // A server that stops answering is given up after a minute without progress.
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, 60L);
    if (!certificateFile.empty()) curl_easy_setopt(h, CURLOPT_CAINFO, certificateFile.c_str());
    if (settings.startTls) curl_easy_setopt(h, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_ALL));
    if (!settings.user.empty()) {
        curl_easy_setopt(h, CURLOPT_USERNAME, settings.user.c_str());
        curl_easy_setopt(h, CURLOPT_PASSWORD, settings.password.c_str());
    }
    curl_easy_setopt(h, CURLOPT_DEBUGFUNCTION, watchSignOn);
    curl_easy_setopt(h, CURLOPT_DEBUGDATA, &signedOn);
    curl_easy_setopt(h, CURLOPT_VERBOSE, 1L);

    const std::string from = "<" + settings.sender + ">";
    const std::string to = "<" + settings.recipient + ">";
    curl_easy_setopt(h, CURLOPT_MAIL_FROM, from.c_str());
    append(recipients, to);
    curl_easy_setopt(h, CURLOPT_MAIL_RCPT, recipients.get());

    append(headers, dateHeader());
    append(headers, "From: " + from);
    append(headers, "To: " + to);
    append(headers, "Subject: " + message.subject);
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get());

    mime.reset(curl_mime_init(h));
    curl_mimepart* note = curl_mime_addpart(mime.get());
    curl_mime_data(note, message.text.c_str(), CURL_ZERO_TERMINATED);
    curl_mime_type(note, "text/plain; charset=us-ascii");
    for (const MailAttachment& a : message.attachments) {
        curl_mimepart* part = curl_mime_addpart(mime.get());
        if (const CURLcode rc = curl_mime_filedata(part, a.file.c_str()); rc != CURLE_OK)
            return fail(rc, "");
        curl_mime_filename(part, a.name.c_str());
        curl_mime_type(part, "application/octet-stream");
        curl_mime_encoder(part, "base64");
    }
    curl_easy_setopt(h, CURLOPT_MIMEPOST, mime.get());

    const CURLcode rc = curl_easy_perform(h);
    result.signedOn = signedOn;
    if (rc != CURLE_OK) return fail(rc, errors);
    result.sent = true;
    return result;
}

}  // namespace torvane
