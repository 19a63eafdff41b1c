#include "EightBitText.h"

#include <QPlainTextEdit>
#include <QTextDocument>

namespace torvane {

QString EightBitText::toText(const std::string& bytes) {
    const QByteArray raw = QByteArray::fromStdString(bytes);
    QString text = QString::fromUtf8(raw);
    utf8 = text.toUtf8() == raw;
    if (!utf8) text = QString::fromLatin1(raw);
    return text.replace("\r\n", "\n");
}

std::string EightBitText::toBytes(const QPlainTextEdit& box, const std::string& newLine) const {
    // The raw text keeps non-breaking spaces, which the plain text would turn into blanks.
    QString text = box.document()->toRawText();
    text.replace(QChar::ParagraphSeparator, '\n').replace(QChar::LineSeparator, '\n');
    const QByteArray raw = utf8 ? text.toUtf8() : text.toLatin1();
    std::string out;
    out.reserve(raw.size());
    for (const char c : raw) {
        if (c == '\n')
            out += newLine;
        else
            out += c;
    }
    return out;
}

}  // namespace torvane
