#pragma once

#include <QString>
#include <QStringList>

namespace korvi {

// The bounds both file readers put on the text they are given, and the way
// they cut it into lines. Lengths are counted in characters as the user sees
// them (grapheme clusters), with a fast path for text whose UTF-16 length is
// already below the bound.
class TextLines {
public:
    // A whole file must be shorter than this to be read at all.
    static constexpr qsizetype maximumTextLength = 1048576;
    // Only this many lines of a file are looked at.
    static constexpr qsizetype maximumLineCount = 10000;
    // A line must be shorter than this to be read.
    static constexpr qsizetype maximumLineLength = 1024;

    // True when the text holds fewer than `limit` user-visible characters.
    // Stops counting as soon as the limit is reached.
    static bool isShorterThan(const QString& text, qsizetype limit);

    // Splits at every line-break character (line feed, carriage return,
    // vertical tab, form feed, next line, line and paragraph separators); a
    // carriage return directly followed by a line feed is one break. At most
    // `maximumLines` pieces are returned; the rest of the text is not looked at.
    static QStringList split(const QString& text, qsizetype maximumLines = maximumLineCount);

    // The characters `split` breaks lines at.
    static bool isLineBreak(char32_t codePoint);

    // Characters that could end a line or hide what follows when written into
    // a file: control characters (tab included; callers that allow a literal
    // tab test for it first), format characters, line and paragraph separators.
    static bool isBreaking(char32_t codePoint);
};

} // namespace korvi
