#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace torvane::platform {

// The text of one profile (INI) file, parsed once and indexed by section, so that a caller
// that reads or changes many values pays for one parse and one write. Sections and keys match
// without regard to ASCII case and the first match wins; blanks around keys and values are
// trimmed and a value in matching quotes loses them. A change touches only the line of its key
// (or adds the section and key); every other byte comes back out of text() as it went in.
class ProfileDocument {
  public:
    ProfileDocument() = default;
    explicit ProfileDocument(const std::string& content);

    std::string get(std::string_view section, std::string_view key,
                    std::string_view fallback = {}) const;
    // Keys of the first matching section, in file order, without duplicates.
    std::vector<std::string> keys(std::string_view section) const;
    std::vector<std::string> sections() const;

    void set(std::string_view section, std::string_view key, std::string_view value);
    // Removes the section's header and every line up to the next section; false when absent.
    bool removeSection(std::string_view section);

    std::string text() const;

  private:
    struct Line {
        std::string text;
        std::string end;
    };
    // A header line and the lines below it; the first block holds what precedes any header.
    struct Block {
        std::vector<Line> lines;
        bool removed = false;
    };

    const Block* find(std::string_view section) const;
    Block* find(std::string_view section);

    std::vector<Block> blocks_{Block{}};
    // Upper-cased section name -> blocks of that name in file order, removed ones dropped.
    std::unordered_map<std::string, std::vector<std::size_t>> index_;
    std::string eol_ = "\r\n";
};

}  // namespace torvane::platform
