#include "PrintableText.h"

namespace torvane::platform {

std::string printable(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte != 0x7F) {
            out += c;
            continue;
        }
        // U+2400 + byte (U+2421 for DEL) in UTF-8: E2 90 80+byte (E2 90 A1).
        out += '\xE2';
        out += '\x90';
        out += static_cast<char>(byte == 0x7F ? 0xA1 : 0x80 + byte);
    }
    return out;
}

}  // namespace torvane::platform
