#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace korvi {

// The directives the zone scanner reads differently from BIND, settled in the
// text before it is scanned: $GENERATE (unknown to the scanner) becomes the
// record lines it stands for, and the names of "$ORIGIN @" and of a
// "$INCLUDE file origin" with a relative origin (which the scanner refuses)
// are written out in full.
class ZoneDirectives {
public:
    struct Result {
        QByteArray text;      // the text with every $GENERATE line replaced
        qint64 generated = 0; // records the directives produced
        QString error;        // empty when every directive could be expanded
        qint64 errorLine = 0; // line of the faulty directive (1-based)
        // Where each replaced line's expansion starts in `text` and how many
        // lines it took there, for turning scanner lines back into file lines.
        struct Shift {
            qint64 firstLine;  // first line of the expansion in `text`
            qint64 sourceLine; // the $GENERATE line in the file
            qint64 lines;      // lines of the expansion
        };
        QList<Shift> shifts;
    };

    // Works on the lines that start (in their first column) with a
    // directive, which is where BIND accepts one. `origin` is the absolute
    // origin in force at the start. Lines that end in CR LF get a plain LF.
    // At most `limit` records are generated; more is an error.
    static Result expand(const QByteArray& text, const QByteArray& origin, qint64 limit);

    // `name` made absolute against `origin` ("@" is the origin itself).
    static QByteArray absolute(const QByteArray& name, const QByteArray& origin);

    // The file line for a line of the expanded text.
    static qint64 sourceLine(const Result& result, qint64 expandedLine);

    // One side (owner or data) of a directive for the iterator value, with
    // BIND's "$", "${offset,width,base}" and "$$"; an escaped character is
    // copied with its backslash. Nothing when a modifier is malformed.
    static std::optional<QByteArray> substitute(const QByteArray& pattern, qint64 value);
};

} // namespace korvi
