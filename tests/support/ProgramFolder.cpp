#include "ProgramFolder.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "common/clsLog.h"

namespace torvane::test {

namespace fs = std::filesystem;

ProgramFolder::ProgramFolder(const fs::path& binFolder, const std::string& program)
    : c_(dir_ / "c"), prog_(c_ / "Prog"), program_(program) {
    fs::create_directories(prog_);
    fs::create_directories(dir_ / "home");
    fs::copy_file(binFolder / program, prog_ / program);
    fs::copy(binFolder / "System", prog_ / "System", fs::copy_options::recursive);
    drives("");
}

void ProgramFolder::drives(const std::string& extra) {
    writeFile(dir_ / "cfg/Torvane/Drives.ini", "[Drives]\nC=" + c_.string() + ", fixed\n" + extra);
}

std::string ProgramFolder::drive(char letter, const std::string& name, const std::string& type) const {
    fs::create_directories(dir_ / name);
    return std::string(1, letter) + "=" + (dir_ / name).string() + ", " + type + "\n";
}

ProgramFolder::Result ProgramFolder::run(const std::vector<std::string>& args, Display display) const {
    return finish(start(args, display));
}

pid_t ProgramFolder::start(const std::vector<std::string>& args, Display display) const {
    // Each run writes its own output files, so runs that overlap keep theirs apart.
    static int runs = 0;
    ++runs;
    const fs::path out = dir_ / ("stdout." + std::to_string(runs)), err = dir_ / ("stderr." + std::to_string(runs));
    fs::create_directories(dir_ / "runtime");
    fs::permissions(dir_ / "runtime", fs::perms::owner_all, fs::perm_options::replace);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::setenv("XDG_CONFIG_HOME", (dir_ / "cfg").c_str(), 1);
        ::setenv("HOME", (dir_ / "home").c_str(), 1);
        ::setenv("TORVANE_SPLASH_MS", "20", 1);
        if (display == Display::Offscreen) {
            ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
            ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
            ::setenv("XDG_RUNTIME_DIR", (dir_ / "runtime").c_str(), 1);
        } else {
            for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_RUNTIME_DIR",
                                     "XDG_SESSION_TYPE", "DBUS_SESSION_BUS_ADDRESS", "LANG", "LANGUAGE",
                                     "LC_ALL", "LC_CTYPE"})
                ::unsetenv(name);
        }
        for (const auto& [name, value] : environment_) ::setenv(name.c_str(), value.c_str(), 1);
        const int o = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int e = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (o < 0 || e < 0 || ::dup2(o, 1) < 0 || ::dup2(e, 2) < 0 || ::chdir(dir_.path().c_str()) != 0) ::_exit(126);
        std::vector<std::string> all{(prog_ / program_).string()};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (auto& a : all) argv.push_back(a.data());
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    outputs_[pid] = {out, err};
    return pid;
}

ProgramFolder::Result ProgramFolder::finish(pid_t pid) const {
    Result result;
    // A guard against a program that never ends, not a measure of its speed.
    for (int i = 0; i < 12000 && result.status < 0; ++i) {
        int status = 0;
        if (::waitpid(pid, &status, WNOHANG) == pid) result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128;
        else std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (result.status < 0) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        ADD_FAILURE() << program_ << " did not end";
    }
    const auto [out, err] = outputs_.at(pid);
    result.out = readFile(out);
    result.err = readFile(err);
    return result;
}

std::vector<std::string> ProgramFolder::logRecords() const {
    const fs::path log = prog_ / (program_ + ".Log");
    if (!fs::exists(log)) return {};
    const auto lines = splitLogLines(readFile(log));
    std::vector<std::string> out;
    for (size_t i = 12; i < lines.size(); ++i)
        out.push_back(lines[i].size() >= 20 && lines[i] != std::string(80, '-') ? lines[i].substr(20) : lines[i]);
    return out;
}

}  // namespace torvane::test
