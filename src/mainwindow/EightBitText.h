#pragma once

#include <QString>
#include <string>

class QPlainTextEdit;

namespace torvane {

// The 8-bit text of the set files and the log in a text box, and back, byte for byte. Text that
// is valid UTF-8 is shown as such; anything else is read as Latin-1, where every byte is a
// character of its own.
struct EightBitText {
    bool utf8 = true;

    QString toText(const std::string& bytes);
    // The box's text as bytes, lines ended by `newLine`. Characters the reading had no byte for
    // (typed outside Latin-1 into Latin-1 text) come out as "?".
    std::string toBytes(const QPlainTextEdit& box, const std::string& newLine) const;
};

}  // namespace torvane
