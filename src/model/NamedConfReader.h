#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace korvi {

// Korvi's judgement of the address and forwarder lists of named.conf: which
// elements it keeps, cleans or refuses. The statements themselves are found
// by BindConfigReader; a list comes here as the text "{ a; b; }".
class NamedConfReader {
public:
    // The text between the first "{" and the first "}" after it.
    static std::optional<QString> braceContents(const QString& line);
    // The braces' contents split at ";", each piece trimmed, empty ones
    // dropped.
    static QStringList listPieces(const QString& contents);

    // -- Judging the pieces --

    // An address-match-list item as Korvi keeps it, or nothing to leave it
    // out (see docs/decisions.md for the rule).
    static std::optional<QString> addressListItem(const QString& piece);
    // A forwarder address, or nothing.
    static std::optional<QString> forwarder(const QString& piece);
    // The list of a listen-on or allow-query line, or nothing to keep the
    // field as it was.
    static std::optional<QStringList> addressList(const QString& line);
    static std::optional<QStringList> forwarderList(const QString& line);
};

} // namespace korvi
