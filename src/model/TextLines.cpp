#include "model/TextLines.h"

#include <QTextBoundaryFinder>

namespace korvi {

bool TextLines::isShorterThan(const QString& text, qsizetype limit) {
    // A grapheme cluster holds at least one UTF-16 unit, so text shorter in
    // units is shorter in characters too.
    if (text.size() < limit)
        return true;
    if (limit <= 0)
        return false;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype count = 0;
    while (finder.toNextBoundary() != -1) {
        if (++count >= limit)
            return false;
    }
    return true;
}

bool TextLines::isLineBreak(char32_t cp) {
    return (cp >= 0x0A && cp <= 0x0D) || cp == 0x85 || cp == 0x2028 || cp == 0x2029;
}

QStringList TextLines::split(const QString& text, qsizetype maximumLines) {
    QStringList lines;
    if (maximumLines <= 0)
        return lines;
    const qsizetype n = text.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < n; ++i) {
        // Every line-break character is in the Basic Multilingual Plane, so
        // UTF-16 units can be tested one by one.
        const char16_t u = text.at(i).unicode();
        if (!isLineBreak(u))
            continue;
        lines.append(text.mid(start, i - start));
        if (lines.size() >= maximumLines)
            return lines;
        if (u == u'\r' && i + 1 < n && text.at(i + 1) == u'\n')
            ++i;
        start = i + 1;
    }
    lines.append(text.mid(start));
    return lines;
}

bool TextLines::isBreaking(char32_t codePoint) {
    switch (QChar::category(codePoint)) {
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return true;
    default:
        return false;
    }
}

} // namespace korvi
