#pragma once

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "common/AppContext.h"

namespace torvane {

// The differences between the utility's log and the scheduler's, as data.
struct LogFlavour {
    std::string title;                // header line 3
    bool hasCommandLineRecord;        // "Command Line" in the utility, "UnableToFind" in the scheduler
    bool exitCarriesReason;           // "Application Closed - Unloaded by ..." in the utility
    bool fixedBakName;                // utility: "Torvane.Bak"; scheduler: the log path ending in "BAK"

    static LogFlavour utility();
    static LogFlavour scheduler();
};

// The transaction log: a header of 12 lines, then one record a line. Every record opens,
// appends to and closes the file; the class keeps no state between calls.
//
// Both programs, and several copies of the utility started in the same minute, may write one
// log at once. Whatever changes the file (the header, the monthly move, an append, the cut) does
// so holding an exclusive advisory lock on it, and checks under the lock that the name still
// leads to the file it locked, so no process ever writes into a file another has just moved
// aside or replaced, and a header is only ever written into an empty file.
class clsLog {
public:
    clsLog(AppContext& context, LogFlavour flavour);

    // sType is one of "Startup", "Command Line", "Backup", "INI Edit", "PrevInstance", "Exit",
    // "UnableToFind" (by program). Failures come out as TorvaneError.
    void WriteToLog(const std::string& sType, bool bDateRequired, const std::string& vOther = {});
    void WriteToLog(const std::string& sType, bool bDateRequired, std::int16_t vOther);

    // Cuts the log back below the limit, oldest records first, keeping the header. Never
    // throws: a log that cannot be cut is left as it is.
    void Log_Truncate(std::int32_t lFileBytes);

    static std::string exitReasonText(std::int16_t code);

private:
    std::filesystem::path logPath() const;
    std::filesystem::path bakPath() const;
    void LogFile();
    // The log open for appending and locked, moved aside first when a new month began and with
    // its header in place; -1 when it does not exist and `create` is false.
    int openLocked(bool create);
    bool dueForMonthlyMove(std::time_t modified) const;
    std::string headerText() const;
    void append(const std::string& source, const std::string& text);
    std::string Log_WriteDate(bool bDateRequired) const;
    void writeRecord(const std::string& sType, bool bDateRequired, const std::string& text,
                     std::int16_t code);

    AppContext& context_;
    LogFlavour flavour_;
};

// The lines of a text file as the log reads them: CR LF or LF ends a line, and a final line
// end does not start another line.
std::vector<std::string> splitLogLines(const std::string& content);

}  // namespace torvane
