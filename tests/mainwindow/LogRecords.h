#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "TempDir.h"
#include "common/clsLog.h"

namespace torvane::test {

// The records of a transaction log after its 12-line header, without their 20-character dates.
inline std::vector<std::string> logRecords(const std::filesystem::path& log) {
    std::vector<std::string> out;
    if (!std::filesystem::exists(log)) return out;
    const auto lines = splitLogLines(readFile(log));
    for (size_t i = 12; i < lines.size(); ++i)
        out.push_back(lines[i].size() > 20 ? lines[i].substr(20) : lines[i]);
    return out;
}

}  // namespace torvane::test
