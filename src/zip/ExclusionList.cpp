#include "zip/ExclusionList.h"

#include <algorithm>

#include "zip/Wildcard.h"

namespace torvane::zip {
namespace {

std::string_view trimmed(std::string_view s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return s;
}

bool anyMatches(const std::vector<std::string>& patterns, std::string_view name) {
    return std::any_of(patterns.begin(), patterns.end(),
                       [&](const std::string& p) { return matchesPattern(p, name); });
}

}  // namespace

ExclusionList::ExclusionList(std::string_view list) {
    while (!list.empty()) {
        const std::size_t end = std::min(list.find(';'), list.size());
        std::string_view pattern = trimmed(list.substr(0, end));
        list.remove_prefix(std::min(end + 1, list.size()));
        const bool foldersOnly = !pattern.empty() && pattern.back() == '\\';
        if (foldersOnly) pattern = trimmed(pattern.substr(0, pattern.size() - 1));
        // An empty entry (";;", a lone "\") names nothing.
        if (!pattern.empty()) (foldersOnly ? folders_ : any_).emplace_back(pattern);
    }
}

bool ExclusionList::excludesName(std::string_view name) const { return anyMatches(any_, name); }

bool ExclusionList::excludesFolder(std::string_view name) const {
    return anyMatches(folders_, name) || anyMatches(any_, name);
}

}  // namespace torvane::zip
