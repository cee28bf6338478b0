#include "model/ZoneFileLexer.h"

namespace korvi {

namespace {

// Every white-space character is in the Basic Multilingual Plane, so UTF-16
// units can be tested one by one.
bool isFieldSeparator(QChar c) {
    return c.isSpace();
}

// Walks the line as BIND's lexer would see it: backslash escapes, double
// quotes, and a comment from the first ";" outside quotes. Calls
// visit(character) for every unescaped character outside quotes;
// returns the index where the comment starts (or the line's length).
template <typename Visit> qsizetype scanOutsideQuotes(const QString& line, Visit visit) {
    bool escaped = false;
    bool inQuote = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (escaped) {
            escaped = false;
            continue;
        }
        if (c == u'\\') {
            escaped = true;
            continue;
        }
        if (c == u'"') {
            inQuote = !inQuote;
            continue;
        }
        if (inQuote)
            continue;
        if (c == u';')
            return i;
        visit(c);
    }
    return line.size();
}

} // namespace

QStringList ZoneFileLexer::fields(const QString& line) {
    QStringList result;
    QString current;
    for (const QChar c : line) {
        if (isFieldSeparator(c)) {
            if (!current.isEmpty())
                result.append(current);
            current.clear();
        } else {
            current.append(c);
        }
    }
    if (!current.isEmpty())
        result.append(current);
    return result;
}

QStringList ZoneFileLexer::groupFields(const QString& line) {
    QStringList result;
    QString current;
    bool escaped = false;
    for (const QChar c : line) {
        const bool parenthesis = !escaped && (c == u'(' || c == u')');
        if (isFieldSeparator(c) || parenthesis) {
            if (!current.isEmpty())
                result.append(current);
            current.clear();
            escaped = false;
            continue;
        }
        escaped = !escaped && c == u'\\';
        current.append(c);
    }
    if (!current.isEmpty())
        result.append(current);
    return result;
}

bool ZoneFileLexer::looksLikeTTL(const QString& field) {
    if (field.isEmpty() || !field.front().isDigit())
        return false;
    bool inNumber = false;
    for (const QChar c : field) {
        const char16_t u = c.unicode();
        if (u >= '0' && u <= '9') {
            inNumber = true;
            continue;
        }
        const char16_t lower = u | 0x20;
        const bool unit =
            lower == 'w' || lower == 'd' || lower == 'h' || lower == 'm' || lower == 's';
        if (!unit || !inNumber)
            return false;
        inNumber = false;
    }
    return true;
}

qsizetype ZoneFileLexer::typeIndex(const QStringList& fields) {
    qsizetype index = 1;
    bool sawTTL = false;
    bool sawClass = false;
    while (index < fields.size()) {
        const QString& field = fields.at(index);
        if (!sawTTL && looksLikeTTL(field)) {
            sawTTL = true;
        } else if (!sawClass && field.compare(QLatin1String("IN"), Qt::CaseInsensitive) == 0) {
            sawClass = true;
        } else {
            break;
        }
        ++index;
    }
    return index < fields.size() ? index : -1;
}

QString ZoneFileLexer::withoutComment(const QString& line) {
    return line.left(scanOutsideQuotes(line, [](QChar) {}));
}

int ZoneFileLexer::groupDepthChange(const QString& line) {
    int depth = 0;
    scanOutsideQuotes(line, [&](QChar c) {
        if (c == u'(')
            ++depth;
        else if (c == u')')
            --depth;
    });
    return depth;
}

} // namespace korvi
