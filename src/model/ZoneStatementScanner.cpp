#include "model/ZoneStatementScanner.h"

namespace korvi {

namespace {

// Deeper nesting than this is refused, as BindConfigParser refuses it.
constexpr int maximumDepth = 64;

QString zoneKey(QString name) {
    name = name.toLower();
    if (name.size() > 1 && name.endsWith(u'.'))
        name.chop(1);
    return name;
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

bool isSpace(char c) {
    return isBlank(c) || c == '\n' || c == '\f' || c == '\v';
}

// One top-level statement as it is being read: where it starts, and the
// words before its first brace.
struct Pending {
    bool open = false;
    qsizetype begin = 0;
    QList<QByteArray> words;
    bool wordsClosed = false; // a brace was seen: later words are not the head
    bool hasBlock = false;
};

bool matches(const Pending& statement, const QString& key) {
    const QList<QByteArray>& words = statement.words;
    if (!statement.hasBlock || words.size() < 2 || words.size() > 3)
        return false;
    if (words.first().toLower() != "zone")
        return false;
    if (words.size() == 3 && words.at(2).toUpper() != "IN")
        return false;
    return zoneKey(QString::fromUtf8(words.at(1))) == key;
}

// The statement's whole lines when nothing else is on them, else the
// statement alone.
ZoneStatementScanner::Span widened(const QByteArray& text, qsizetype begin, qsizetype end) {
    qsizetype lineStart = begin;
    while (lineStart > 0 && isBlank(text.at(lineStart - 1)))
        --lineStart;
    if (lineStart > 0 && text.at(lineStart - 1) != '\n')
        return {begin, end};
    qsizetype lineEnd = end;
    while (lineEnd < text.size() && isBlank(text.at(lineEnd)))
        ++lineEnd;
    if (lineEnd < text.size() && text.at(lineEnd) != '\n')
        return {begin, end};
    if (lineEnd < text.size())
        ++lineEnd; // the line end goes with the statement
    return {lineStart, lineEnd};
}

} // namespace

ZoneStatementScanner::Result ZoneStatementScanner::find(const QByteArray& text,
                                                        const QString& zoneName) {
    Result result;
    const QString key = zoneKey(zoneName);
    const qsizetype size = text.size();
    int depth = 0;
    Pending statement;
    int line = 1;
    const auto fail = [&](const QString& what) {
        result.statements.clear();
        result.error = QStringLiteral("line %1: %2").arg(line).arg(what);
        return result;
    };
    const auto startAt = [&](qsizetype at) {
        if (depth == 0 && !statement.open) {
            statement = Pending();
            statement.open = true;
            statement.begin = at;
        }
    };

    qsizetype i = 0;
    while (i < size) {
        const char c = text.at(i);
        if (c == '\n') {
            ++line;
            ++i;
            continue;
        }
        if (isSpace(c)) {
            ++i;
            continue;
        }
        if (c == '#' || (c == '/' && i + 1 < size && text.at(i + 1) == '/')) {
            while (i < size && text.at(i) != '\n')
                ++i;
            continue;
        }
        if (c == '/' && i + 1 < size && text.at(i + 1) == '*') {
            const qsizetype close = text.indexOf("*/", i + 2);
            if (close < 0)
                return fail(QStringLiteral("a comment is not closed"));
            line += int(text.mid(i, close - i).count('\n'));
            i = close + 2;
            continue;
        }
        if (c == '{') {
            startAt(i);
            if (depth == 0) {
                statement.hasBlock = true;
                statement.wordsClosed = true;
            }
            if (++depth > maximumDepth)
                return fail(QStringLiteral("blocks are nested too deeply"));
            ++i;
            continue;
        }
        if (c == '}') {
            if (depth == 0)
                return fail(QStringLiteral("a \"}\" closes no block"));
            --depth;
            ++i;
            continue;
        }
        if (c == ';') {
            if (depth == 0 && statement.open) {
                if (matches(statement, key))
                    result.statements.append(widened(text, statement.begin, i + 1));
                statement.open = false;
            }
            ++i;
            continue;
        }
        // A word: quoted, or up to the next blank, brace, ";", quote or
        // comment. A backslash takes the next character as it is.
        startAt(i);
        QByteArray word;
        if (c == '"') {
            ++i;
            bool closed = false;
            while (i < size) {
                const char d = text.at(i);
                if (d == '\\' && i + 1 < size) {
                    word += text.at(i + 1);
                    line += text.at(i + 1) == '\n';
                    i += 2;
                    continue;
                }
                if (d == '"') {
                    closed = true;
                    ++i;
                    break;
                }
                line += d == '\n';
                word += d;
                ++i;
            }
            if (!closed)
                return fail(QStringLiteral("a quoted string is not closed"));
        } else {
            while (i < size) {
                const char d = text.at(i);
                if (isSpace(d) || d == '{' || d == '}' || d == ';' || d == '"' || d == '#' ||
                    (d == '/' && i + 1 < size && (text.at(i + 1) == '/' || text.at(i + 1) == '*')))
                    break;
                if (d == '\\' && i + 1 < size) {
                    word += text.at(i + 1);
                    i += 2;
                    continue;
                }
                word += d;
                ++i;
            }
        }
        if (depth == 0 && !statement.wordsClosed)
            statement.words.append(word);
    }
    if (depth != 0)
        return fail(QStringLiteral("a block is not closed"));
    if (statement.open)
        return fail(QStringLiteral("the last statement has no \";\""));
    return result;
}

std::optional<QByteArray> ZoneStatementScanner::without(const QByteArray& text,
                                                        const QString& zoneName, QString* reason) {
    const Result found = find(text, zoneName);
    QString why;
    if (!found.ok())
        why = QStringLiteral("the file could not be read as a configuration (%1)").arg(found.error);
    else if (found.statements.isEmpty())
        why =
            QStringLiteral("the file has no statement for zone \"%1\" outside views").arg(zoneName);
    else if (found.statements.size() > 1)
        why = QStringLiteral("the file has %1 statements for zone \"%2\"")
                  .arg(found.statements.size())
                  .arg(zoneName);
    if (!why.isEmpty()) {
        if (reason)
            *reason = why;
        return std::nullopt;
    }
    const Span span = found.statements.first();
    QByteArray rest = text;
    rest.remove(span.begin, span.end - span.begin);
    return rest;
}

} // namespace korvi
