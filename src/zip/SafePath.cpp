#include "zip/SafePath.h"

namespace torvane::zip {

std::vector<std::string> memberComponents(std::string_view name, std::string& reason) {
    std::vector<std::string> parts;
    auto refuse = [&](std::string_view why) {
        reason = why;
        parts.clear();
        return parts;
    };
    if (name.empty()) return refuse("empty name");
    if (name.find('\0') != std::string_view::npos) return refuse("name contains a NUL character");
    if (name.front() == '/' || name.front() == '\\') return refuse("absolute path");
    std::string part;
    auto finish = [&] {
        if (part.empty() || part == ".") {
            part.clear();
            return true;
        }
        if (part == "..") return false;
        parts.push_back(std::move(part));
        part.clear();
        return true;
    };
    for (char c : name) {
        if (c == '/' || c == '\\') {
            if (!finish()) return refuse("path with a \"..\" component");
        } else {
            part.push_back(c);
        }
    }
    if (!finish()) return refuse("path with a \"..\" component");
    if (parts.empty()) return refuse(kNoComponents);
    return parts;
}

}  // namespace torvane::zip
