#pragma once

#include <sys/types.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "TempDir.h"

namespace torvane::test {

// A built program copied into a temporary program folder C:\Prog and started as the desktop or
// a scheduler would start it, with a settings folder and a home of its own: drive C: is the
// folder "c", a fixed drive whatever file system holds the temporary folder.
class ProgramFolder {
public:
    // How the program finds its screen: the offscreen platform asked for, or, as cron starts it,
    // no display, no desktop session and no locale at all.
    enum class Display { Offscreen, None };
    struct Result {
        int status = -1;  // exit status; 128 after a signal
        std::string out;  // everything written to stdout
        std::string err;  // everything written to stderr
    };

    // Copies `program` and the "System" folder beside it from `binFolder`.
    explicit ProgramFolder(const std::filesystem::path& binFolder, const std::string& program = "Torvane");

    const std::filesystem::path& root() const { return dir_.path(); }
    const std::filesystem::path& c() const { return c_; }
    const std::filesystem::path& prog() const { return prog_; }

    // Rewrites Drives.ini: C: first, then `extra` ("E=/host/folder, removable\n"...).
    void drives(const std::string& extra);
    // Creates host folder `name` in the temporary folder and returns its Drives.ini line.
    std::string drive(char letter, const std::string& name, const std::string& type) const;

    // A run never reaches the desktop's session bus; `setenv` gives it one of the test's own.
    void setenv(const std::string& name, const std::string& value) { environment_[name] = value; }

    Result run(const std::vector<std::string>& args, Display display = Display::Offscreen) const;
    // A run that goes on while the test does something else; finish() waits for its end.
    pid_t start(const std::vector<std::string>& args, Display display = Display::Offscreen) const;
    Result finish(pid_t pid) const;

    // The program's log records without their date and time; an "Exit" record's hyphen line included.
    std::vector<std::string> logRecords() const;

private:
    TempDir dir_;
    std::filesystem::path c_;
    std::filesystem::path prog_;
    std::string program_;
    std::map<std::string, std::string> environment_;
    mutable std::map<pid_t, std::pair<std::filesystem::path, std::filesystem::path>> outputs_;
};

}  // namespace torvane::test
