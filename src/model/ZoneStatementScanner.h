#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace korvi {

// Finds one zone's statement in the text of a named.conf file as it lies on
// disk, so that it can be taken out with every other byte of the file left as
// it was. It skips the three comment forms ("//", "#", "/* */") and quoted
// strings, follows nested braces, and looks only at statements of the file's
// top level: `zone "<name>" [class] { ... };`. A zone inside a view, a zone
// of another class than IN, and text that merely looks like a zone statement
// inside a comment or a string are never matched.
class ZoneStatementScanner {
public:
    // Bytes [begin, end) of the text.
    struct Span {
        qsizetype begin = 0;
        qsizetype end = 0;
        bool operator==(const Span& other) const = default;
    };

    struct Result {
        QList<Span> statements; // every top-level statement for the zone, in order
        QString error;          // empty when the text was scanned to its end
        bool ok() const { return error.isEmpty(); }
    };

    // The zone's statements. A name is matched with letter case and a final
    // "." ignored. Each span covers the statement from "zone" to its ";";
    // when nothing but blanks shares its lines, the span covers those whole
    // lines (line end included), so no empty line is left behind.
    static Result find(const QByteArray& text, const QString& zoneName);

    // The text without the zone's one statement; nothing and the reason when
    // there is not exactly one.
    static std::optional<QByteArray> without(const QByteArray& text, const QString& zoneName,
                                             QString* reason = nullptr);
};

} // namespace korvi
