#pragma once

#include <string>
#include <vector>

#include "TestContext.h"
#include "common/clsLog.h"

namespace torvane::test {

// The records of the program's log below its 12-line header, each with its 20 characters of
// date (or blanks) kept.
inline std::vector<std::string> rawRecords(const TestContext& ctx) {
    std::error_code ec;
    if (!std::filesystem::exists(ctx.programHost / "Torvane.Log", ec)) return {};
    const auto lines = splitLogLines(readFile(ctx.programHost / "Torvane.Log"));
    return std::vector<std::string>(lines.begin() + 12, lines.end());
}

// The same without the date column.
inline std::vector<std::string> records(const TestContext& ctx) {
    std::vector<std::string> out;
    for (const std::string& line : rawRecords(ctx)) out.push_back(line.substr(20));
    return out;
}

}  // namespace torvane::test
