#include "model/ZoneFileEscaper.h"

#include <QChar>
#include <QList>

#include <algorithm>
#include <array>

#include "model/TextLines.h"

namespace korvi {

namespace {

// Text is walked either as UTF-16 code units, when every unit is ASCII (each
// unit is then a whole code point), or as the code points QString::toUcs4
// gives. The escaping rules below are written once for both.
struct AsciiUnits {
    QStringView text;
    char32_t operator[](qsizetype i) const { return text[i].unicode(); }
    qsizetype size() const { return text.size(); }
};

struct CodePoints {
    QList<uint> cps;
    char32_t operator[](qsizetype i) const { return cps[i]; }
    qsizetype size() const { return cps.size(); }
};

bool isAscii(QStringView text) {
    for (const QChar c : text) {
        if (c.unicode() >= 0x80)
            return false;
    }
    return true;
}

CodePoints codePoints(QStringView text) {
    return {text.toUcs4()};
}

void appendCodePoint(QString& out, char32_t cp) {
    if (QChar::requiresSurrogates(cp)) {
        out.append(QChar(QChar::highSurrogate(cp)));
        out.append(QChar(QChar::lowSurrogate(cp)));
    } else {
        out.append(QChar(static_cast<char16_t>(cp)));
    }
}

// "\DDD" for every UTF-8 byte of the code point, so that BIND stores the very
// same octets the plain text would have given.
void appendOctets(QString& out, char32_t cp) {
    QString one;
    appendCodePoint(one, cp);
    const QByteArray bytes = one.toUtf8();
    for (const char byte : bytes) {
        const int value = static_cast<unsigned char>(byte);
        out.append(u'\\');
        out.append(QChar(u'0' + value / 100));
        out.append(QChar(u'0' + value / 10 % 10));
        out.append(QChar(u'0' + value % 10));
    }
}

// Control characters, format characters, line and paragraph separators. In
// ASCII these are exactly the C0 controls and DEL.
bool isBreaking(char32_t cp) {
    if (cp < 0x80)
        return cp < 0x20 || cp == 0x7F;
    return TextLines::isBreaking(cp);
}

bool isDigit(char32_t cp) {
    return cp >= '0' && cp <= '9';
}

// True when cps[i] is a backslash followed by three digits of a value up to 255.
template <typename Seq> bool isDecimalEscape(const Seq& cps, qsizetype i) {
    if (i + 3 >= cps.size())
        return false;
    if (!isDigit(cps[i + 1]) || !isDigit(cps[i + 2]) || !isDigit(cps[i + 3]))
        return false;
    const int value =
        int(cps[i + 1] - '0') * 100 + int(cps[i + 2] - '0') * 10 + int(cps[i + 3] - '0');
    return value <= 255;
}

// A character a backslash may stand before in presentation text: anything
// printable, and the tab.
bool isEscapable(char32_t cp) {
    return cp == '\t' || !isBreaking(cp);
}

// How many code points the user's backslash at cps[i] covers: 4 for "\DDD",
// 2 for "\X", 0 when the backslash stands for itself.
template <typename Seq> qsizetype userEscapeLength(const Seq& cps, qsizetype i) {
    if (i + 1 >= cps.size())
        return 0;
    const char32_t next = cps[i + 1];
    if (isDigit(next))
        return isDecimalEscape(cps, i) ? 4 : 0;
    return isEscapable(next) ? 2 : 0;
}

// Index of the double quote that closes a quoted string starting at `from`,
// or -1 when there is none.
template <typename Seq> qsizetype closingQuote(const Seq& cps, qsizetype from) {
    qsizetype j = from;
    while (j < cps.size()) {
        if (cps[j] == '\\') {
            const qsizetype length = userEscapeLength(cps, j);
            j += length > 0 ? length : 1;
            continue;
        }
        if (cps[j] == '"')
            return j;
        ++j;
    }
    return -1;
}

constexpr bool isTokenSpecial(char32_t cp) {
    return cp == '"' || cp == '(' || cp == ')' || cp == ';' || cp == '\\' || cp == '@' ||
           cp == '$' || cp == '#';
}

template <typename Seq> void tokenInto(QString& out, const Seq& cps) {
    for (qsizetype i = 0; i < cps.size(); ++i) {
        const char32_t cp = cps[i];
        if (cp < 0x80) {
            if (cp <= 0x20 || cp == 0x7F) {
                appendOctets(out, cp);
            } else if (isTokenSpecial(cp)) {
                out.append(u'\\');
                out.append(QChar(static_cast<char16_t>(cp)));
            } else {
                out.append(QChar(static_cast<char16_t>(cp)));
            }
        } else if (QChar::isSpace(cp) || TextLines::isBreaking(cp)) {
            appendOctets(out, cp);
        } else {
            appendCodePoint(out, cp);
        }
    }
}

// Printable ASCII that a token writes as it stands, looked up per code unit.
constexpr std::array<bool, 128> plainTokenUnits = [] {
    std::array<bool, 128> plain{};
    for (char16_t u = 0x21; u < 0x7F; ++u)
        plain[u] = !isTokenSpecial(u);
    return plain;
}();

// True when an ASCII token needs no escape at all.
bool isPlainToken(QStringView text) {
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u >= 0x80 || !plainTokenUnits[u])
            return false;
    }
    return true;
}

// Appends cps[from, to) as they stand: ASCII text as one block.
void appendRange(QString& out, const AsciiUnits& units, qsizetype from, qsizetype to) {
    out.append(units.text.sliced(from, to - from));
}

void appendRange(QString& out, const CodePoints& cps, qsizetype from, qsizetype to) {
    for (qsizetype k = from; k < to; ++k)
        appendCodePoint(out, cps[k]);
}

// Characters that are written as they stand are collected into runs and
// appended together; only what needs an escape is written one by one.
template <typename Seq> void presentationInto(QString& out, const Seq& cps) {
    bool inQuote = false;
    qsizetype run = 0;
    qsizetype i = 0;
    const auto replace = [&](qsizetype at, auto&& write) {
        appendRange(out, cps, run, at);
        write();
        run = at + 1;
    };
    while (i < cps.size()) {
        const char32_t c = cps[i];
        if (c == '\\') {
            const qsizetype length = userEscapeLength(cps, i);
            if (length == 0)
                replace(i, [&] { out.append(QStringLiteral("\\\\")); });
            // The user's own escape is kept as typed.
            i += length > 0 ? length : 1;
            continue;
        }
        if (c == '"') {
            if (inQuote)
                inQuote = false;
            else if (closingQuote(cps, i + 1) >= 0)
                inQuote = true;
            else
                replace(i, [&] { out.append(QStringLiteral("\\\"")); });
        } else if (c != '\t' && isBreaking(c)) {
            replace(i, [&] { appendOctets(out, c); });
        } else if (!inQuote && (c == ';' || c == '(' || c == ')')) {
            replace(i, [&] { out.append(u'\\').append(QChar(static_cast<char16_t>(c))); });
        }
        ++i;
    }
    appendRange(out, cps, run, cps.size());
}

template <typename Seq> void quotedInto(QString& out, const Seq& cps) {
    for (qsizetype i = 0; i < cps.size(); ++i) {
        const char32_t cp = cps[i];
        if (cp == '"' || cp == '\\')
            out.append(u'\\').append(QChar(static_cast<char16_t>(cp)));
        else if (cp != '\t' && isBreaking(cp))
            appendOctets(out, cp);
        else
            appendCodePoint(out, cp);
    }
}

template <typename Seq> void commentInto(QString& out, const Seq& cps) {
    for (qsizetype i = 0; i < cps.size(); ++i) {
        const char32_t cp = cps[i];
        if (cp != '\t' && isBreaking(cp))
            appendOctets(out, cp);
        else
            appendCodePoint(out, cp);
    }
}

const QString emptyField = QStringLiteral("\"\"");

// Runs `escape` over the text as ASCII code units when it is all ASCII,
// otherwise over its code points.
template <typename Escape> void walk(QStringView text, Escape&& escape) {
    if (isAscii(text))
        escape(AsciiUnits{text});
    else
        escape(codePoints(text));
}

} // namespace

void ZoneFileEscaper::appendToken(QString& out, QStringView text) {
    if (text.isEmpty())
        out.append(emptyField);
    else if (isPlainToken(text))
        out.append(text);
    else
        walk(text, [&](const auto& units) { tokenInto(out, units); });
}

void ZoneFileEscaper::appendOwner(QString& out, QStringView name) {
    if (name.isEmpty())
        out.append(u'@');
    else
        appendToken(out, name);
}

void ZoneFileEscaper::appendPresentation(QString& out, QStringView text) {
    if (text.isEmpty())
        out.append(emptyField);
    else
        walk(text, [&](const auto& units) { presentationInto(out, units); });
}

void ZoneFileEscaper::appendQuoted(QString& out, QStringView text) {
    QStringView content = text;
    if (content.size() >= 2 && content.startsWith(u'"') && content.endsWith(u'"'))
        content = content.mid(1, content.size() - 2);
    out.append(u'"');
    walk(content, [&](const auto& units) { quotedInto(out, units); });
    out.append(u'"');
}

void ZoneFileEscaper::appendComment(QString& out, QStringView text) {
    walk(text, [&](const auto& units) { commentInto(out, units); });
}

void ZoneFileEscaper::appendName(QString& out, QStringView name) {
    if (name.isEmpty()) {
        out.append(emptyField);
        return;
    }
    if (isPlainToken(name)) {
        out.append(name);
        return;
    }
    walk(name, [&](const auto& cps) {
        for (qsizetype i = 0; i < cps.size(); ++i) {
            const qsizetype length = cps[i] == '\\' ? userEscapeLength(cps, i) : 0;
            if (length == 0) {
                tokenInto(out, CodePoints{{uint(cps[i])}});
                continue;
            }
            // The escape is kept, unless what it escapes would still break
            // the line.
            if (length == 2 && cps[i + 1] != '\t' && isBreaking(cps[i + 1])) {
                tokenInto(out, CodePoints{{uint('\\')}});
                continue;
            }
            for (qsizetype k = i; k < i + length; ++k)
                appendCodePoint(out, cps[k]);
            i += length - 1;
        }
    });
}

namespace {

qsizetype utf8Bytes(char32_t cp) {
    return cp < 0x80 ? 1 : cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
}

// Splits one character-string, its content in cps[from, to), into quoted
// strings of at most 255 bytes; escapes are never cut.
template <typename Seq>
void splitString(QString& out, const Seq& cps, qsizetype from, qsizetype to, bool quoted) {
    qsizetype bytes = 0;
    out.append(u'"');
    for (qsizetype i = from; i < to;) {
        qsizetype length = 1;
        qsizetype size = utf8Bytes(cps[i]);
        if (cps[i] == '\\') {
            length = std::max<qsizetype>(1, userEscapeLength(cps, i));
            size = length == 2 ? utf8Bytes(cps[i + 1]) : 1;
        } else if (!quoted && cps[i] == '"') {
            // Cannot happen in escaped text; kept literal if it does.
            out.append(u'\\');
        }
        if (bytes + size > ZoneFileEscaper::maximumStringBytes) {
            out.append(QStringLiteral("\" \""));
            bytes = 0;
        }
        for (qsizetype k = i; k < i + length && k < to; ++k)
            appendCodePoint(out, cps[k]);
        bytes += size;
        i += length;
    }
    out.append(u'"');
}

// Walks escaped presentation text and rewrites only the strings that are
// too long; everything else is copied as it stands.
template <typename Seq> void splitLongStrings(QString& out, const Seq& cps) {
    qsizetype i = 0;
    const qsizetype n = cps.size();
    while (i < n) {
        const char32_t c = cps[i];
        if (c == ' ' || c == '\t' || c == '(' || c == ')' || c == ';') {
            appendCodePoint(out, c);
            ++i;
            continue;
        }
        const bool quoted = c == '"';
        qsizetype j = quoted ? i + 1 : i;
        qsizetype bytes = 0;
        while (j < n) {
            const char32_t d = cps[j];
            if (d == '\\') {
                const qsizetype length = std::max<qsizetype>(1, userEscapeLength(cps, j));
                bytes += length == 2 ? utf8Bytes(cps[j + 1]) : 1;
                j += length;
                continue;
            }
            if (quoted ? d == '"' : (d == ' ' || d == '\t' || d == '"'))
                break;
            bytes += utf8Bytes(d);
            ++j;
        }
        const qsizetype contentFrom = quoted ? i + 1 : i;
        const qsizetype end = quoted && j < n ? j + 1 : j;
        if (bytes > ZoneFileEscaper::maximumStringBytes)
            splitString(out, cps, contentFrom, j, quoted);
        else
            appendRange(out, cps, i, end);
        i = end;
    }
}

} // namespace

void ZoneFileEscaper::appendText(QString& out, QStringView text) {
    // No string can be longer than 255 bytes in text of at most 85 code
    // units, or of at most 255 when it is ASCII: the common case stays one copy.
    if (text.size() <= 85 || (text.size() <= maximumStringBytes && isAscii(text))) {
        appendPresentation(out, text);
        return;
    }
    QString escaped;
    escaped.reserve(text.size() + 16);
    appendPresentation(escaped, text);
    walk(escaped, [&](const auto& cps) { splitLongStrings(out, cps); });
}

namespace {

// One literal string, split into quoted strings of at most 255 bytes; an
// escape is never cut.
template <typename Seq> void literalStringsInto(QString& out, const Seq& cps) {
    qsizetype bytes = 0;
    out.append(u'"');
    for (qsizetype i = 0; i < cps.size(); ++i) {
        const char32_t cp = cps[i];
        const qsizetype size = utf8Bytes(cp);
        if (bytes + size > ZoneFileEscaper::maximumStringBytes) {
            out.append(QStringLiteral("\" \""));
            bytes = 0;
        }
        if (cp == '"' || cp == '\\')
            out.append(u'\\').append(QChar(static_cast<char16_t>(cp)));
        else if (cp != '\t' && isBreaking(cp))
            appendOctets(out, cp);
        else
            appendCodePoint(out, cp);
        bytes += size;
    }
    out.append(u'"');
}

} // namespace

bool ZoneFileEscaper::isQuotedStrings(QStringView text) {
    const QStringView trimmed = text.trimmed();
    if (!trimmed.startsWith(u'"'))
        return false;
    bool whole = true;
    walk(trimmed, [&](const auto& cps) {
        qsizetype i = 0;
        while (whole && i < cps.size()) {
            if (cps[i] == ' ' || cps[i] == '\t') {
                ++i;
                continue;
            }
            const qsizetype close = cps[i] == '"' ? closingQuote(cps, i + 1) : -1;
            if (close < 0) {
                whole = false;
                break;
            }
            i = close + 1;
            // Strings are separated by blanks.
            if (i < cps.size() && cps[i] != ' ' && cps[i] != '\t')
                whole = false;
        }
    });
    return whole;
}

void ZoneFileEscaper::appendTxtValue(QString& out, QStringView text) {
    const QStringView trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return;
    if (isQuotedStrings(trimmed)) {
        appendText(out, trimmed);
        return;
    }
    walk(trimmed, [&](const auto& cps) { literalStringsInto(out, cps); });
}

QString ZoneFileEscaper::token(const QString& text) {
    if (!text.isEmpty() && isPlainToken(text))
        return text;
    QString out;
    out.reserve(text.size() + 8);
    appendToken(out, text);
    return out;
}

QString ZoneFileEscaper::owner(const QString& name) {
    return name.isEmpty() ? QStringLiteral("@") : token(name);
}

QString ZoneFileEscaper::presentation(const QString& text) {
    QString out;
    out.reserve(text.size() + 8);
    appendPresentation(out, text);
    return out;
}

QString ZoneFileEscaper::quoted(const QString& text) {
    QString out;
    out.reserve(text.size() + 4);
    appendQuoted(out, text);
    return out;
}

QString ZoneFileEscaper::comment(const QString& text) {
    QString out;
    out.reserve(text.size());
    appendComment(out, text);
    return out;
}

} // namespace korvi
