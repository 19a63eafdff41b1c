#include "zip/Wildcard.h"

#include <cstddef>

namespace torvane::zip {
namespace {

char fold(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// Iterative glob with single backtrack point: linear in practice, no recursion to blow the stack
// on hostile patterns.
bool glob(std::string_view p, std::string_view n) {
    std::size_t pi = 0, ni = 0, starP = std::string_view::npos, starN = 0;
    while (ni < n.size()) {
        if (pi < p.size() && p[pi] == '*') {
            starP = pi++;
            starN = ni;
        } else if (pi < p.size() && (p[pi] == '?' || fold(p[pi]) == fold(n[ni]))) {
            ++pi;
            ++ni;
        } else if (starP != std::string_view::npos) {
            pi = starP + 1;
            ni = ++starN;
        } else {
            return false;
        }
    }
    while (pi < p.size() && p[pi] == '*') ++pi;
    return pi == p.size();
}

}  // namespace

bool matchesPattern(std::string_view pattern, std::string_view name) {
    if (pattern.empty()) return false;
    // Windows treats a trailing ".*" as optional so that "*.*" and "name.*" also take names
    // without any dot.
    if (pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == ".*") {
        std::string_view stem = pattern.substr(0, pattern.size() - 2);
        if (name.find('.') == std::string_view::npos && glob(stem, name)) return true;
    }
    return glob(pattern, name);
}

}  // namespace torvane::zip
