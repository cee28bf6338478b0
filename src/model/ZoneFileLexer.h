#pragma once

#include <QString>
#include <QStringList>

namespace korvi {

// Splits zone-file lines into tokens. It only cuts text; what the tokens
// mean is decided by ZoneFileReader.
class ZoneFileLexer {
public:
    // Fields of a line, split at every white-space character (space, tab and
    // the other Unicode space separators); empty fields are dropped.
    static QStringList fields(const QString& line);

    // Like fields(), but unescaped "(" and ")" also separate fields and are
    // dropped: the form in which a parenthesised SOA is read.
    static QStringList groupFields(const QString& line);

    // Index of the type field: after the owner, an optional TTL and an
    // optional class "IN", in either order. -1 when the line has no field
    // there.
    static qsizetype typeIndex(const QStringList& fields);

    // The line up to its comment: the first ";" that is neither escaped nor
    // inside double quotes.
    static QString withoutComment(const QString& line);

    // Unescaped "(" minus unescaped ")" outside quotes and before any
    // comment: above zero when the line opens a group it does not close.
    static int groupDepthChange(const QString& line);

    // A TTL-like field: decimal digits only, optionally followed by BIND's
    // unit letters ("1h30m", "2w"). Used to skip the TTL when finding the type.
    static bool looksLikeTTL(const QString& field);
};

} // namespace korvi
