#include "model/ZoneDirectives.h"

#include <cstdio>
#include <cstring>

namespace korvi {

namespace {

bool startsWithWord(const char* line, qsizetype length, const char* word) {
    const auto n = qsizetype(std::strlen(word));
    if (length <= n || (line[n] != ' ' && line[n] != '\t'))
        return false;
    for (qsizetype i = 0; i < n; ++i) {
        if (std::toupper(static_cast<unsigned char>(line[i])) != word[i])
            return false;
    }
    return true;
}

bool endsWithUnescapedDot(const QByteArray& name) {
    if (!name.endsWith('.'))
        return false;
    qsizetype backslashes = 0;
    for (qsizetype i = name.size() - 2; i >= 0 && name.at(i) == '\\'; --i)
        ++backslashes;
    return backslashes % 2 == 0;
}

// The directive's fields: quoted fields lose their quotes (as BIND reads
// them), a ";" outside quotes ends the line.
QList<QByteArray> fields(const QByteArray& line) {
    QList<QByteArray> out;
    QByteArray current;
    bool inField = false, quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const char c = line.at(i);
        if (quoted) {
            if (c == '\\' && i + 1 < line.size()) {
                current += c;
                current += line.at(++i);
            } else if (c == '"') {
                quoted = false;
            } else {
                current += c;
            }
            continue;
        }
        if (c == ';')
            break;
        if (c == ' ' || c == '\t' || c == '\r') {
            if (inField)
                out.append(current);
            current.clear();
            inField = false;
            continue;
        }
        inField = true;
        if (c == '"')
            quoted = true;
        else if (c == '\\' && i + 1 < line.size()) {
            current += c;
            current += line.at(++i);
        } else
            current += c;
    }
    if (inField)
        out.append(current);
    return out;
}

// BIND's nibble form: hexadecimal digits lowest first, separated by dots,
// padded with zero nibbles until `width` characters are written.
QByteArray nibbles(qint64 value, int width, bool upper) {
    const char* digits = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    QByteArray out;
    auto v = static_cast<quint32>(value);
    do {
        out += digits[v & 0x0f];
        v >>= 4;
        if (width > 0)
            --width;
        if (width > 0 || v != 0) {
            out += '.';
            if (width > 0)
                --width;
        }
    } while (v != 0 || width > 0);
    return out;
}

bool parseRange(const QByteArray& text, qint64& start, qint64& stop, qint64& step) {
    long long a = 0, b = 0, s = 1;
    int used = 0;
    const QByteArray z = text + '\0';
    if (std::sscanf(z.constData(), "%lld-%lld%n", &a, &b, &used) != 2)
        return false;
    if (used < text.size() && std::sscanf(z.constData() + used, "/%lld", &s) != 1)
        return false;
    if (a < 0 || b < a || s <= 0 || b > 0xffffffffLL)
        return false;
    start = a;
    stop = b;
    step = s;
    return true;
}

} // namespace

std::optional<QByteArray> ZoneDirectives::substitute(const QByteArray& pattern, qint64 value) {
    QByteArray out;
    out.reserve(pattern.size() + 8);
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const char c = pattern.at(i);
        if (c == '\\') {
            out += c;
            if (i + 1 < pattern.size())
                out += pattern.at(++i);
            continue;
        }
        if (c != '$') {
            out += c;
            continue;
        }
        if (i + 1 < pattern.size() && pattern.at(i + 1) == '$') {
            out += '$';
            ++i;
            continue;
        }
        if (i + 1 >= pattern.size() || pattern.at(i + 1) != '{') {
            out += QByteArray::number(value);
            continue;
        }
        const qsizetype close = pattern.indexOf('}', i + 2);
        if (close < 0)
            return std::nullopt;
        const QByteArray spec = pattern.mid(i + 2, close - i - 2) + '\0';
        long long offset = 0;
        unsigned width = 0;
        char base[2] = {'d', 0};
        const int n = std::sscanf(spec.constData(), "%lld,%u,%1[doxXnN]", &offset, &width, base);
        if (n < 1 || width > 255)
            return std::nullopt;
        // As BIND, the value is a 32-bit number: negative in decimal, its
        // two's complement in the other bases.
        const auto v = static_cast<qint32>(value + offset);
        if (base[0] == 'n' || base[0] == 'N') {
            out += nibbles(v, static_cast<int>(width), base[0] == 'N');
        } else {
            const char format[5] = {'%', '0', '*', base[0], 0};
            char buffer[300];
            if (base[0] == 'd')
                std::snprintf(buffer, sizeof buffer, format, static_cast<int>(width), v);
            else
                std::snprintf(buffer, sizeof buffer, format, static_cast<int>(width),
                              static_cast<quint32>(v));
            out += buffer;
        }
        i = close;
    }
    return out;
}

QByteArray ZoneDirectives::absolute(const QByteArray& name, const QByteArray& origin) {
    if (name == "@")
        return origin;
    if (endsWithUnescapedDot(name))
        return name;
    return origin == "." ? name + '.' : name + '.' + origin;
}

ZoneDirectives::Result ZoneDirectives::expand(const QByteArray& text, const QByteArray& startOrigin,
                                              qint64 limit) {
    Result result;
    QByteArray origin = startOrigin;
    const bool plain = !text.contains('\r') && !text.contains("\n$") && !text.startsWith('$');
    if (plain) {
        result.text = text;
        return result;
    }
    result.text.reserve(text.size());
    qint64 sourceLine = 0, outputLine = 0;
    qsizetype pos = 0;
    while (pos < text.size()) {
        qsizetype end = text.indexOf('\n', pos);
        const qsizetype next = end < 0 ? text.size() : end + 1;
        if (end < 0)
            end = text.size();
        qsizetype lineEnd = end;
        if (lineEnd > pos && text.at(lineEnd - 1) == '\r')
            --lineEnd;
        ++sourceLine;
        const char* line = text.constData() + pos;
        const qsizetype length = lineEnd - pos;
        if (length == 0 || line[0] != '$') {
            // Not a directive: copied as it stands.
            result.text.append(line, length);
            result.text += '\n';
            ++outputLine;
            pos = next;
            continue;
        }
        if (startsWithWord(line, length, "$ORIGIN") || startsWithWord(line, length, "$INCLUDE")) {
            const QList<QByteArray> f = fields(QByteArray(line, length));
            const bool isOrigin = std::toupper(static_cast<unsigned char>(line[1])) == 'O';
            if (isOrigin && f.size() == 2) {
                origin = absolute(f.at(1), origin);
                result.text += "$ORIGIN " + origin + '\n';
            } else if (!isOrigin && f.size() == 3) {
                result.text += "$INCLUDE \"" + f.at(1) + "\" " + absolute(f.at(2), origin) + '\n';
            } else {
                result.text.append(line, length);
                result.text += '\n';
            }
            ++outputLine;
            pos = next;
            continue;
        }
        if (!startsWithWord(line, length, "$GENERATE")) {
            result.text.append(line, length);
            result.text += '\n';
            ++outputLine;
            pos = next;
            continue;
        }
        const QList<QByteArray> f = fields(QByteArray(line, length));
        qint64 start = 0, stop = 0, step = 1;
        // $GENERATE range owner [ttl] [class] type data
        if (f.size() < 5 || f.size() > 7 || !parseRange(f.at(1), start, stop, step)) {
            result.error = QStringLiteral("a $GENERATE line that cannot be read");
            result.errorLine = sourceLine;
            return result;
        }
        QByteArray middle;
        for (qsizetype i = 3; i + 1 < f.size(); ++i)
            middle += ' ' + f.at(i);
        const qint64 first = outputLine + 1;
        for (qint64 v = start; v <= stop; v += step) {
            if (++result.generated > limit) {
                result.error = QStringLiteral("more records than the limit");
                result.errorLine = sourceLine;
                return result;
            }
            const auto owner = substitute(f.at(2), v);
            const auto data = substitute(f.last(), v);
            if (!owner || !data) {
                result.error = QStringLiteral("a $GENERATE modifier that cannot be read");
                result.errorLine = sourceLine;
                return result;
            }
            result.text += *owner + middle + ' ' + *data + '\n';
            ++outputLine;
        }
        result.shifts.append({first, sourceLine, outputLine - first + 1});
        pos = next;
    }
    return result;
}

qint64 ZoneDirectives::sourceLine(const Result& result, qint64 expandedLine) {
    qint64 extra = 0;
    for (const Result::Shift& s : result.shifts) {
        if (expandedLine < s.firstLine)
            break;
        if (expandedLine < s.firstLine + s.lines)
            return s.sourceLine;
        extra += s.lines - 1;
    }
    return expandedLine - extra;
}

} // namespace korvi
