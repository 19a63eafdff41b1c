#include "clsLog.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <system_error>
#include <utility>

#include "common/TorvaneError.h"
#include "common/VersionText.h"
#include "platform/AtomicFile.h"
#include "platform/PrintableText.h"

namespace torvane {

namespace {

const std::string kHyphens(80, '-');
const std::string kCrLf = "\r\n";

bool fileExists(const std::filesystem::path& p) {
    std::error_code ec;
    return std::filesystem::is_regular_file(p, ec);
}

[[noreturn]] void throwErrno(const std::string& what) {
    throw std::system_error(errno, std::generic_category(), what);
}

// Closing the descriptor also ends its lock.
struct Descriptor {
    int fd = -1;
    ~Descriptor() {
        if (fd >= 0) ::close(fd);
    }
    int release() { return std::exchange(fd, -1); }
};

void writeAll(int fd, const std::string& text, const std::filesystem::path& log) {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throwErrno("Unable to write " + log.string());
        done += static_cast<size_t>(n);
    }
}

}  // namespace

LogFlavour LogFlavour::utility() { return {"Torvane - Backup Utility", true, true, true}; }

LogFlavour LogFlavour::scheduler() { return {"Torvane - Scheduler", false, false, false}; }

clsLog::clsLog(AppContext& context, LogFlavour flavour) : context_(context), flavour_(std::move(flavour)) {}

std::vector<std::string> splitLogLines(const std::string& content) {
    std::vector<std::string> lines;
    size_t pos = 0;
    while (pos < content.size()) {
        size_t nl = content.find('\n', pos);
        if (nl == std::string::npos) {
            lines.push_back(content.substr(pos));
            break;
        }
        size_t end = nl;
        if (end > pos && content[end - 1] == '\r') --end;
        lines.push_back(content.substr(pos, end - pos));
        pos = nl + 1;
    }
    return lines;
}

std::string clsLog::exitReasonText(std::int16_t code) {
    switch (code) {
        case 0: return "Close on Control menu.";
        case 1: return "Invoked from code.";
        case 2: return "Windows O/S is ending.";
        case 3: return "Windows Task Manager is ending.";
        case 4: return "Child MDI form is closing.";
        case 5: return "Parent Form is closing.";
        default: return "";
    }
}

std::filesystem::path clsLog::logPath() const {
    const auto path = context_.host.resolve(context_.globals.sLogFile);
    if (!path) throw TorvaneError("clsLog:LogFile Method", "Path not found: " + context_.globals.sLogFile);
    return *path;
}

std::filesystem::path clsLog::bakPath() const {
    const std::filesystem::path log = logPath();
    if (flavour_.fixedBakName) return log.parent_path() / "Torvane.Bak";
    std::string s = log.string();
    s.replace(s.size() >= 3 ? s.size() - 3 : 0, 3, "BAK");
    return s;
}

std::string clsLog::Log_WriteDate(bool bDateRequired) const {
    if (!bDateRequired) return std::string(20, ' ');
    const platform::LocalDateTime t = context_.clock.now();
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d/%02d/%04d %02d:%02d:%02d ", t.day, t.month, t.year, t.hour,
                  t.minute, t.second);
    return buf;
}

std::string clsLog::headerText() const {
    const std::vector<std::string> header = {
        kHyphens,
        "",
        flavour_.title,
        "",
        "Copyright (C) 2026 Torvane Software",
        "All Rights Reserved.",
        "",
        "Written by the Torvane development team",
        "",
        kHyphens,
        "Transaction Log",
        kHyphens,
    };
    std::string text;
    for (const auto& line : header) text += line + kCrLf;
    return text;
}

bool clsLog::dueForMonthlyMove(std::time_t modified) const {
    const platform::LocalDateTime today = context_.clock.now();
    if (today.day != 1) return false;
    const platform::LocalDateTime last = platform::toLocal(std::chrono::system_clock::from_time_t(modified));
    // December counts as the month before January.
    const int previousMonth = today.month == 1 ? 12 : today.month - 1;
    const int previousYear = today.month == 1 ? today.year - 1 : today.year;
    return last.month == previousMonth && last.year == previousYear;
}

int clsLog::openLocked(bool create) {
    const std::filesystem::path log = logPath();
    for (;;) {
        const int fd = ::open(log.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC | (create ? O_CREAT : 0), 0666);
        if (fd < 0 && !create && errno == ENOENT) return -1;
        if (fd < 0) throwErrno("Unable to open " + log.string());
        Descriptor held{fd};
        while (::flock(fd, LOCK_EX) != 0)
            if (errno != EINTR) throwErrno("Unable to lock " + log.string());
        struct stat locked {};
        struct stat named {};
        if (::fstat(fd, &locked) != 0) throwErrno("Unable to read " + log.string());
        // Moved aside, cut or replaced while this process waited for the lock: start again with
        // the file that now has the name.
        if (::stat(log.c_str(), &named) != 0 || named.st_ino != locked.st_ino || named.st_dev != locked.st_dev)
            continue;
        if (locked.st_size > 0 && dueForMonthlyMove(locked.st_mtime)) {
            // rename() replaces an older companion in one step: the log is never lost.
            std::filesystem::rename(log, bakPath());
            continue;
        }
        if (locked.st_size == 0) writeAll(fd, headerText(), log);
        return held.release();
    }
}

void clsLog::LogFile() {
    wrapErrors("clsLog:LogFile Method", [&] { Descriptor log{openLocked(true)}; });
}

void clsLog::append(const std::string& source, const std::string& text) {
    wrapErrors(source, [&] {
        Descriptor log{openLocked(true)};
        writeAll(log.fd, text, logPath());
        if (::close(log.release()) != 0) throwErrno("Unable to write " + logPath().string());
    });
}

void clsLog::WriteToLog(const std::string& sType, bool bDateRequired, const std::string& vOther) {
    writeRecord(sType, bDateRequired, platform::printable(vOther), 0);
}

void clsLog::WriteToLog(const std::string& sType, bool bDateRequired, std::int16_t vOther) {
    writeRecord(sType, bDateRequired, std::to_string(vOther), vOther);
}

void clsLog::writeRecord(const std::string& sType, bool bDateRequired, const std::string& text,
                         std::int16_t code) {
    wrapErrors("clsLog:WriteToLog Method", [&] {
        LogFile();
        if (sType == "Startup") {
            append("clsLog:Log_WriteStartup Method",
                   Log_WriteDate(true) + "Application " + VersionText() + " Started" + kCrLf);
        } else if (sType == "Command Line" && flavour_.hasCommandLineRecord) {
            const std::string& cl = context_.commandLine;
            append("clsLog:Log_WriteCommandLine Method",
                   Log_WriteDate(false) + "Command Line Parameter = " + (cl.empty() ? "Nil" : cl) + kCrLf);
        } else if (sType == "UnableToFind" && !flavour_.hasCommandLineRecord) {
            append("clsLog:Log_WriteUnableToFind Method",
                   Log_WriteDate(false) + "Unable to Find Torvane Backup Utility" + kCrLf);
        } else if (sType == "Backup") {
            append("clsLog:Log_WriteBackup Method", Log_WriteDate(bDateRequired) + text + kCrLf);
        } else if (sType == "INI Edit") {
            append("clsLog:Log_WriteINI_Edit Method", Log_WriteDate(true) + text + kCrLf);
        } else if (sType == "PrevInstance") {
            append("clsLog:Log_WritePrevInstance Method",
                   Log_WriteDate(true) + "Previous Instance Detected - Not Started" + kCrLf);
        } else if (sType == "Exit") {
            const std::string closed = flavour_.exitCarriesReason
                                           ? "Application Closed - Unloaded by " + exitReasonText(code)
                                           : "Application Closed";
            append("clsLog:Log_WriteExit Method", Log_WriteDate(true) + closed + kCrLf + kHyphens + kCrLf);
        } else {
            context_.prompts.message({"Hey", MsgButtons::Ok, MsgIcon::Exclamation, MsgAnswer::Ok,
                                      "Select Case Missing"});
        }
    });
}

void clsLog::Log_Truncate(std::int32_t lFileBytes) {
    try {
        const std::filesystem::path log = logPath();
        if (!fileExists(log)) return;
        const auto length = std::filesystem::file_size(log);
        if (length > static_cast<std::uintmax_t>(lFileBytes)) {
            WriteToLog("Backup", true,
                       "Log File Truncated from " + std::to_string(length / 1000) + "K to about " +
                           std::to_string(lFileBytes / 1000) + "K");
        }
        Descriptor locked{openLocked(false)};
        if (locked.fd < 0) return;
        std::string content = platform::readWholeFile(log);
        bool changed = false;
        // Each pass drops whole records from the oldest end, just past the excess, and ends the
        // text with one more line end, as the log always has. A pass that cannot shrink the
        // text (only the header is left) ends the cut.
        while (content.size() >= static_cast<size_t>(lFileBytes)) {
            const std::vector<std::string> lines = splitLogLines(content);
            if (lines.size() <= 13) break;
            long long excess = static_cast<long long>(content.size()) - lFileBytes;
            size_t next = 13;
            while (excess >= 0 && next < lines.size()) excess -= static_cast<long long>(lines[next++].size());
            std::string kept;
            for (size_t i = 0; i < lines.size(); ++i)
                if (i < 13 || i >= next) kept += lines[i] + kCrLf;
            kept += kCrLf;
            if (kept.size() >= content.size()) break;
            content = std::move(kept);
            changed = true;
        }
        if (changed) platform::writeFileAtomically(log, content);
    } catch (const std::exception&) {
        // The cut runs at every start-up; a log that cannot be cut must not stop the program.
    }
}

}  // namespace torvane
