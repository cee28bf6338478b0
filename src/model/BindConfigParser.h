#pragma once

#include <QList>
#include <QString>

namespace korvi {

// One word of a named.conf statement: its text with the quotes of a quoted
// string removed, and whether it was quoted.
struct ConfWord {
    QString text;
    bool quoted = false;

    bool operator==(const ConfWord& other) const = default;
};

// One statement of named.conf: the words before its block, the statements
// of its block when it has one, and any words between the block and the ";"
// that ends it. `listen-on port 53 { 127.0.0.1; };` is the words
// [listen-on, port, 53] and a block of one statement [127.0.0.1].
struct ConfStatement {
    QList<ConfWord> words;
    bool hasBlock = false;
    QList<ConfStatement> block;
    QList<ConfWord> trailing;
    int line = 0; // line of the first word (or "{"), counted from 1

    // The first word, or empty.
    QString keyword() const { return words.isEmpty() ? QString() : words.first().text; }
    // Whether the first word is `name`, letter case ignored (BIND ignores it).
    bool is(QLatin1String name) const;
    // Word i's text, or empty.
    QString word(qsizetype i) const { return i < words.size() ? words.at(i).text : QString(); }
};

// Reads the grammar of named.conf: statements ended by ";", blocks in
// braces nested to any sane depth, quoted strings, a backslash that takes
// the next character into a word as it is (inside quotes or not), and the
// three comment forms ("#", "//" and "/* */"). It knows no keyword: what a
// statement means is left to its reader. Text that is not well formed gives
// an error with its line and no statements; it never crashes and never
// reads past the text.
class BindConfigParser {
public:
    // Blocks nested deeper than this are refused (no real configuration
    // comes near; it keeps hostile text from exhausting the stack).
    static constexpr int maximumDepth = 64;

    struct Result {
        QList<ConfStatement> statements;
        QString error; // empty when the text was read
        int errorLine = 0;
        bool ok() const { return error.isEmpty(); }
    };

    static Result parse(const QString& text);
};

} // namespace korvi
