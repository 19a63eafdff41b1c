#include "ProfileFile.h"

#include <optional>
#include <system_error>

#include "AsciiCase.h"
#include "AtomicFile.h"

namespace torvane::platform {

namespace {

std::string_view trim(std::string_view s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return s;
}

// One physical line of the file, with its line end kept apart so that rewriting the file
// reproduces untouched lines exactly.
struct Line {
    std::string text;
    std::string end;
};

std::vector<Line> splitLines(const std::string& content) {
    std::vector<Line> lines;
    size_t pos = 0;
    while (pos < content.size()) {
        const size_t nl = content.find('\n', pos);
        if (nl == std::string::npos) {
            lines.push_back({content.substr(pos), ""});
            break;
        }
        size_t textEnd = nl;
        if (textEnd > pos && content[textEnd - 1] == '\r') --textEnd;
        lines.push_back({content.substr(pos, textEnd - pos), content.substr(textEnd, nl + 1 - textEnd)});
        pos = nl + 1;
    }
    return lines;
}

std::optional<std::string_view> sectionName(std::string_view line) {
    const std::string_view t = trim(line);
    if (t.empty() || t.front() != '[') return std::nullopt;
    const size_t close = t.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    return trim(t.substr(1, close - 1));
}

struct KeyValue {
    std::string_view key;
    std::string_view value;
};

std::optional<KeyValue> keyValue(std::string_view line) {
    const std::string_view t = trim(line);
    if (t.empty() || t.front() == ';') return std::nullopt;
    const size_t eq = t.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    return KeyValue{trim(t.substr(0, eq)), trim(t.substr(eq + 1))};
}

std::string unquote(std::string_view v) {
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        return std::string(v.substr(1, v.size() - 2));
    return std::string(v);
}

std::string loadOrEmpty(const std::filesystem::path& file) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) return {};
    try {
        return readWholeFile(file);
    } catch (const std::system_error&) {
        return {};
    }
}

// Index range [begin, end) of the first matching section's body, header at begin - 1.
struct SectionSpan {
    size_t header;
    size_t end;
};

std::optional<SectionSpan> findSection(const std::vector<Line>& lines, std::string_view section) {
    for (size_t i = 0; i < lines.size(); ++i) {
        const auto name = sectionName(lines[i].text);
        if (!name || !iequals(*name, section)) continue;
        size_t j = i + 1;
        while (j < lines.size() && !sectionName(lines[j].text)) ++j;
        return SectionSpan{i, j};
    }
    return std::nullopt;
}

std::string join(const std::vector<Line>& lines) {
    std::string out;
    for (const Line& l : lines) out += l.text + l.end;
    return out;
}

std::string lineEndOf(const std::string& content) {
    if (content.empty() || content.find("\r\n") != std::string::npos) return "\r\n";
    return content.find('\n') != std::string::npos ? "\n" : "\r\n";
}

std::string flattened(std::string_view value) {
    std::string v(value);
    for (char& c : v)
        if (c == '\r' || c == '\n') c = ' ';
    return v;
}

}  // namespace

ProfileFile::ProfileFile(std::filesystem::path file) : file_(std::move(file)) {}

std::string ProfileFile::get(std::string_view section, std::string_view key,
                             std::string_view fallback) const {
    const auto lines = splitLines(loadOrEmpty(file_));
    const auto span = findSection(lines, section);
    if (!span) return std::string(fallback);
    for (size_t i = span->header + 1; i < span->end; ++i) {
        const auto kv = keyValue(lines[i].text);
        if (kv && iequals(kv->key, key)) return unquote(kv->value);
    }
    return std::string(fallback);
}

std::vector<std::string> ProfileFile::keys(std::string_view section) const {
    const auto lines = splitLines(loadOrEmpty(file_));
    std::vector<std::string> out;
    const auto span = findSection(lines, section);
    if (!span) return out;
    for (size_t i = span->header + 1; i < span->end; ++i) {
        const auto kv = keyValue(lines[i].text);
        if (!kv || kv->key.empty()) continue;
        bool seen = false;
        for (const auto& k : out) seen = seen || iequals(k, kv->key);
        if (!seen) out.emplace_back(kv->key);
    }
    return out;
}

std::vector<std::string> ProfileFile::sections() const {
    std::vector<std::string> out;
    for (const Line& l : splitLines(loadOrEmpty(file_)))
        if (const auto name = sectionName(l.text)) out.emplace_back(*name);
    return out;
}

void ProfileFile::write(std::string_view section, std::string_view key, std::string_view value) {
    const std::string content = loadOrEmpty(file_);
    const std::string eol = lineEndOf(content);
    auto lines = splitLines(content);
    const std::string newValue = flattened(value);

    if (const auto span = findSection(lines, section)) {
        size_t insertAt = span->header + 1;
        for (size_t i = span->header + 1; i < span->end; ++i) {
            const auto kv = keyValue(lines[i].text);
            if (kv && iequals(kv->key, key)) {
                lines[i].text = std::string(kv->key) + "=" + newValue;
                writeFileAtomically(file_, join(lines));
                return;
            }
            if (!trim(lines[i].text).empty()) insertAt = i + 1;
        }
        if (lines[insertAt - 1].end.empty()) lines[insertAt - 1].end = eol;
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt),
                     Line{std::string(key) + "=" + newValue, eol});
    } else {
        if (!lines.empty() && lines.back().end.empty()) lines.back().end = eol;
        lines.push_back({"[" + std::string(section) + "]", eol});
        lines.push_back({std::string(key) + "=" + newValue, eol});
    }
    writeFileAtomically(file_, join(lines));
}

void ProfileFile::deleteSection(std::string_view section) {
    const std::string content = loadOrEmpty(file_);
    auto lines = splitLines(content);
    const auto span = findSection(lines, section);
    if (!span) return;
    lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(span->header),
                lines.begin() + static_cast<std::ptrdiff_t>(span->end));
    writeFileAtomically(file_, join(lines));
}

}  // namespace torvane::platform
