#include "model/ZoneFileEscaper.h"

#include <QChar>
#include <QList>

#include "model/TextLines.h"

namespace korvi {

namespace {

using CodePoints = QList<uint>;

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

bool isDigit(char32_t cp) {
    return cp >= '0' && cp <= '9';
}

// True when cps[i] is a backslash followed by three digits of a value up to 255.
bool isDecimalEscape(const CodePoints& cps, qsizetype i) {
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
    return cp == '\t' || !TextLines::isBreaking(cp);
}

// How many code points the user's backslash at cps[i] covers: 4 for "\DDD",
// 2 for "\X", 0 when the backslash stands for itself.
qsizetype userEscapeLength(const CodePoints& cps, qsizetype i) {
    if (i + 1 >= cps.size())
        return 0;
    const char32_t next = cps[i + 1];
    if (isDigit(next))
        return isDecimalEscape(cps, i) ? 4 : 0;
    return isEscapable(next) ? 2 : 0;
}

// Index of the double quote that closes a quoted string starting at `from`,
// or -1 when there is none.
qsizetype closingQuote(const CodePoints& cps, qsizetype from) {
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

const QString emptyField = QStringLiteral("\"\"");

} // namespace

QString ZoneFileEscaper::token(const QString& text) {
    if (text.isEmpty())
        return emptyField;
    QString out;
    out.reserve(text.size() + 8);
    for (const uint cp : text.toUcs4()) {
        if (cp < 0x80) {
            if (cp <= 0x20 || cp == 0x7F) {
                appendOctets(out, cp);
            } else if (cp == '"' || cp == '(' || cp == ')' || cp == ';' || cp == '\\' ||
                       cp == '@' || cp == '$' || cp == '#') {
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
    return out;
}

QString ZoneFileEscaper::owner(const QString& name) {
    return name.isEmpty() ? QStringLiteral("@") : token(name);
}

QString ZoneFileEscaper::presentation(const QString& text) {
    if (text.isEmpty())
        return emptyField;
    const CodePoints cps = text.toUcs4();
    QString out;
    out.reserve(text.size() + 8);
    bool inQuote = false;
    qsizetype i = 0;
    while (i < cps.size()) {
        const char32_t c = cps[i];
        if (c == '\\') {
            const qsizetype length = userEscapeLength(cps, i);
            if (length == 0) {
                out.append(QStringLiteral("\\\\"));
                ++i;
            } else {
                for (qsizetype k = 0; k < length; ++k)
                    appendCodePoint(out, cps[i + k]);
                i += length;
            }
            continue;
        }
        if (c == '"') {
            if (inQuote) {
                inQuote = false;
                out.append(u'"');
            } else if (closingQuote(cps, i + 1) >= 0) {
                inQuote = true;
                out.append(u'"');
            } else {
                out.append(QStringLiteral("\\\""));
            }
            ++i;
            continue;
        }
        if (c != '\t' && TextLines::isBreaking(c))
            appendOctets(out, c);
        else if (!inQuote && (c == ';' || c == '(' || c == ')'))
            out.append(u'\\').append(QChar(static_cast<char16_t>(c)));
        else
            appendCodePoint(out, c);
        ++i;
    }
    return out;
}

QString ZoneFileEscaper::quoted(const QString& text) {
    QString content = text;
    if (content.size() >= 2 && content.startsWith(u'"') && content.endsWith(u'"'))
        content = content.mid(1, content.size() - 2);
    QString out;
    out.reserve(content.size() + 4);
    out.append(u'"');
    for (const uint cp : content.toUcs4()) {
        if (cp == '"' || cp == '\\')
            out.append(u'\\').append(QChar(static_cast<char16_t>(cp)));
        else if (cp != '\t' && TextLines::isBreaking(cp))
            appendOctets(out, cp);
        else
            appendCodePoint(out, cp);
    }
    out.append(u'"');
    return out;
}

QString ZoneFileEscaper::comment(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const uint cp : text.toUcs4()) {
        if (cp != '\t' && TextLines::isBreaking(cp))
            appendOctets(out, cp);
        else
            appendCodePoint(out, cp);
    }
    return out;
}

} // namespace korvi
