#include "model/BindConfigParser.h"

namespace korvi {

bool ConfStatement::is(QLatin1String name) const {
    return !words.isEmpty() && words.first().text.compare(name, Qt::CaseInsensitive) == 0;
}

namespace {

struct Token {
    enum class Kind { word, open, close, end, finished };
    Kind kind = Kind::finished;
    ConfWord word;
    int line = 0;
};

// Splits the text into words, braces and semicolons, dropping white space
// and comments.
class Lexer {
public:
    explicit Lexer(const QString& text) : m_text(text) {}

    // The next token, or false with an error.
    bool next(Token& token, QString& error) {
        if (!skipSpaceAndComments(error))
            return false;
        token = Token{};
        token.line = m_line;
        if (m_at >= m_text.size()) {
            token.kind = Token::Kind::finished;
            return true;
        }
        const QChar c = m_text.at(m_at);
        if (c == u'{' || c == u'}' || c == u';') {
            ++m_at;
            token.kind = c == u'{'   ? Token::Kind::open
                         : c == u'}' ? Token::Kind::close
                                     : Token::Kind::end;
            return true;
        }
        token.kind = Token::Kind::word;
        if (c == u'"')
            return quoted(token, error);
        if (c == u'!') {
            // A negation stands alone, as BIND's lexer has it: "!10/8" is two words.
            ++m_at;
            token.word.text = QStringLiteral("!");
            return true;
        }
        // A backslash takes the next character into the word as it is (the
        // text of a dyndb block escapes its braces this way).
        QString& text = token.word.text;
        while (m_at < m_text.size() && !endsWord(m_at)) {
            if (m_text.at(m_at) == u'\\' && m_at + 1 < m_text.size()) {
                ++m_at;
                if (m_text.at(m_at) == u'\n')
                    ++m_line;
            }
            text.append(m_text.at(m_at));
            ++m_at;
        }
        return true;
    }

private:
    bool startsComment(qsizetype at) const {
        const QChar c = m_text.at(at);
        if (c == u'#')
            return true;
        if (c != u'/' || at + 1 >= m_text.size())
            return false;
        const QChar d = m_text.at(at + 1);
        return d == u'/' || d == u'*';
    }

    bool endsWord(qsizetype at) const {
        const QChar c = m_text.at(at);
        return c.isSpace() || c == u'{' || c == u'}' || c == u';' || c == u'"' || c == u'!' ||
               startsComment(at);
    }

    bool skipSpaceAndComments(QString& error) {
        while (m_at < m_text.size()) {
            const QChar c = m_text.at(m_at);
            if (c == u'\n') {
                ++m_line;
                ++m_at;
            } else if (c.isSpace()) {
                ++m_at;
            } else if (c == u'#' ||
                       (c == u'/' && m_at + 1 < m_text.size() && m_text.at(m_at + 1) == u'/')) {
                while (m_at < m_text.size() && m_text.at(m_at) != u'\n')
                    ++m_at;
            } else if (c == u'/' && m_at + 1 < m_text.size() && m_text.at(m_at + 1) == u'*') {
                const int startLine = m_line;
                m_at += 2;
                while (m_at < m_text.size() &&
                       !(m_text.at(m_at) == u'*' && m_at + 1 < m_text.size() &&
                         m_text.at(m_at + 1) == u'/')) {
                    if (m_text.at(m_at) == u'\n')
                        ++m_line;
                    ++m_at;
                }
                if (m_at >= m_text.size()) {
                    error = QStringLiteral("line %1: a comment is never closed").arg(startLine);
                    return false;
                }
                m_at += 2;
            } else {
                return true;
            }
        }
        return true;
    }

    bool quoted(Token& token, QString& error) {
        const int startLine = m_line;
        ++m_at; // the opening quote
        QString text;
        while (m_at < m_text.size()) {
            const QChar c = m_text.at(m_at);
            if (c == u'"') {
                ++m_at;
                token.word.text = text;
                token.word.quoted = true;
                return true;
            }
            if (c == u'\\' && m_at + 1 < m_text.size()) {
                ++m_at;
            }
            if (m_text.at(m_at) == u'\n')
                ++m_line;
            text.append(m_text.at(m_at));
            ++m_at;
        }
        error = QStringLiteral("line %1: a quoted string is never closed").arg(startLine);
        return false;
    }

    const QString& m_text;
    qsizetype m_at = 0;
    int m_line = 1;
};

class Parser {
public:
    explicit Parser(const QString& text) : m_lexer(text) {}

    BindConfigParser::Result run() {
        BindConfigParser::Result result;
        if (!advance() || !statements(result.statements, 0, false)) {
            result.statements.clear();
            result.error = m_error.isEmpty() ? QStringLiteral("unreadable text") : m_error;
            result.errorLine = m_token.line;
        }
        return result;
    }

private:
    bool advance() { return m_lexer.next(m_token, m_error); }

    bool fail(const QString& message) {
        m_error = QStringLiteral("line %1: %2").arg(m_token.line).arg(message);
        return false;
    }

    // Statements up to the end of the text (depth 0) or the "}" of a block.
    bool statements(QList<ConfStatement>& into, int depth, bool inBlock) {
        for (;;) {
            switch (m_token.kind) {
            case Token::Kind::finished:
                return inBlock ? fail(QStringLiteral("a block is never closed")) : true;
            case Token::Kind::close:
                return inBlock ? true : fail(QStringLiteral("\"}\" without a block to close"));
            case Token::Kind::end:
                // An empty statement; BIND accepts stray semicolons.
                if (!advance())
                    return false;
                continue;
            default: {
                ConfStatement statement;
                if (!this->statement(statement, depth))
                    return false;
                into.append(std::move(statement));
            }
            }
        }
    }

    // One statement, from its first word to its ";", which is consumed.
    bool statement(ConfStatement& statement, int depth) {
        statement.line = m_token.line;
        while (m_token.kind == Token::Kind::word) {
            statement.words.append(m_token.word);
            if (!advance())
                return false;
        }
        if (m_token.kind == Token::Kind::open) {
            if (depth + 1 > BindConfigParser::maximumDepth)
                return fail(QStringLiteral("blocks nested deeper than %1 levels")
                                .arg(BindConfigParser::maximumDepth));
            statement.hasBlock = true;
            if (!advance() || !statements(statement.block, depth + 1, true))
                return false;
            if (!advance()) // the "}"
                return false;
            while (m_token.kind == Token::Kind::word) {
                statement.trailing.append(m_token.word);
                if (!advance())
                    return false;
            }
        }
        if (m_token.kind != Token::Kind::end)
            return fail(statement.hasBlock ? QStringLiteral("\";\" missing after \"}\"")
                                           : QStringLiteral("\";\" missing"));
        return advance();
    }

    Lexer m_lexer;
    Token m_token;
    QString m_error;
};

} // namespace

BindConfigParser::Result BindConfigParser::parse(const QString& text) {
    return Parser(text).run();
}

} // namespace korvi
