#include "ProfileDocument.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "AsciiCase.h"

namespace torvane::platform {

namespace {

std::string_view trim(std::string_view s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return s;
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

std::string lineEndOf(const std::string& content) {
    if (content.empty() || content.find("\r\n") != std::string::npos) return "\r\n";
    return content.find('\n') != std::string::npos ? "\n" : "\r\n";
}

// A value stays on its own line whatever it holds.
std::string flattened(std::string_view value) {
    std::string v(value);
    std::replace_if(v.begin(), v.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    return v;
}

}  // namespace

ProfileDocument::ProfileDocument(const std::string& content) : eol_(lineEndOf(content)) {
    size_t pos = 0;
    while (pos < content.size()) {
        const size_t nl = content.find('\n', pos);
        Line line;
        if (nl == std::string::npos) {
            line.text = content.substr(pos);
            pos = content.size();
        } else {
            size_t textEnd = nl;
            if (textEnd > pos && content[textEnd - 1] == '\r') --textEnd;
            line.text = content.substr(pos, textEnd - pos);
            line.end = content.substr(textEnd, nl + 1 - textEnd);
            pos = nl + 1;
        }
        if (const auto name = sectionName(line.text)) {
            index_[asciiUpper(*name)].push_back(blocks_.size());
            blocks_.push_back(Block{});
        }
        blocks_.back().lines.push_back(std::move(line));
    }
}

const ProfileDocument::Block* ProfileDocument::find(std::string_view section) const {
    const auto it = index_.find(asciiUpper(section));
    if (it == index_.end() || it->second.empty()) return nullptr;
    return &blocks_[it->second.front()];
}

ProfileDocument::Block* ProfileDocument::find(std::string_view section) {
    return const_cast<Block*>(std::as_const(*this).find(section));
}

std::string ProfileDocument::get(std::string_view section, std::string_view key,
                                 std::string_view fallback) const {
    if (const Block* block = find(section))
        for (size_t i = 1; i < block->lines.size(); ++i) {
            const auto kv = keyValue(block->lines[i].text);
            if (kv && iequals(kv->key, key)) return unquote(kv->value);
        }
    return std::string(fallback);
}

std::vector<std::string> ProfileDocument::keys(std::string_view section) const {
    std::vector<std::string> out;
    const Block* block = find(section);
    if (!block) return out;
    for (size_t i = 1; i < block->lines.size(); ++i) {
        const auto kv = keyValue(block->lines[i].text);
        if (!kv || kv->key.empty()) continue;
        const bool seen = std::any_of(out.begin(), out.end(),
                                      [&](const std::string& k) { return iequals(k, kv->key); });
        if (!seen) out.emplace_back(kv->key);
    }
    return out;
}

std::vector<std::string> ProfileDocument::sections() const {
    std::vector<std::string> out;
    for (size_t b = 1; b < blocks_.size(); ++b)
        if (!blocks_[b].removed) out.emplace_back(*sectionName(blocks_[b].lines.front().text));
    return out;
}

void ProfileDocument::set(std::string_view section, std::string_view key, std::string_view value) {
    const std::string newValue = flattened(value);
    if (Block* block = find(section)) {
        auto& lines = block->lines;
        size_t insertAt = 1;
        for (size_t i = 1; i < lines.size(); ++i) {
            const auto kv = keyValue(lines[i].text);
            if (kv && iequals(kv->key, key)) {
                lines[i].text = std::string(kv->key) + "=" + newValue;
                return;
            }
            if (!trim(lines[i].text).empty()) insertAt = i + 1;
        }
        if (lines[insertAt - 1].end.empty()) lines[insertAt - 1].end = eol_;
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt),
                     Line{std::string(key) + "=" + newValue, eol_});
        return;
    }
    for (auto b = blocks_.rbegin(); b != blocks_.rend(); ++b) {
        if (b->removed || b->lines.empty()) continue;
        if (b->lines.back().end.empty()) b->lines.back().end = eol_;
        break;
    }
    index_[asciiUpper(section)].push_back(blocks_.size());
    blocks_.push_back(Block{{Line{"[" + std::string(section) + "]", eol_},
                             Line{std::string(key) + "=" + newValue, eol_}}});
}

bool ProfileDocument::removeSection(std::string_view section) {
    const auto it = index_.find(asciiUpper(section));
    if (it == index_.end() || it->second.empty()) return false;
    Block& block = blocks_[it->second.front()];
    block.removed = true;
    block.lines.clear();
    it->second.erase(it->second.begin());
    return true;
}

std::string ProfileDocument::text() const {
    std::string out;
    for (const Block& block : blocks_)
        for (const Line& line : block.lines) out.append(line.text).append(line.end);
    return out;
}

}  // namespace torvane::platform
