#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "zip/ZipEngine.h"

namespace torvane::zip::test {

// Every notification of a run, in order, with an optional cancel at the n-th overall event.
struct Recorder : Events {
    struct Event {
        char kind;  // 'i' item, 'f' file percent, 'o' overall percent
        std::string text;
        int percent = 0;
    };
    std::vector<Event> events;
    int cancelAt = -1;
    int overallCount = 0;

    void item(const std::string& text) override { events.push_back({'i', text, 0}); }
    void fileProgress(int percent) override { events.push_back({'f', {}, percent}); }
    bool overallProgress(int percent) override {
        events.push_back({'o', {}, percent});
        return cancelAt >= 0 && ++overallCount > cancelAt;
    }
    std::vector<std::string> items() const;
};

bool hasTool(const std::string& name);
// Runs a shell command quietly; true when it exits with 0.
bool run(const std::string& command);
std::string quote(const std::filesystem::path& p);

struct FileFacts {
    std::string content;
    unsigned mode = 0;
    long long mtime = 0;
};
// Regular files below root (relative "/" paths), with content, permission bits and mtime.
std::map<std::string, FileFacts> snapshot(const std::filesystem::path& root);
// Every entry below root, files and folders, relative.
std::vector<std::string> allEntries(const std::filesystem::path& root);

void setMtime(const std::filesystem::path& p, long long seconds);

BackupRequest backupOf(const std::filesystem::path& source, const std::filesystem::path& archive);

}  // namespace torvane::zip::test
