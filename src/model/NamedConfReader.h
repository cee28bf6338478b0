#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>

namespace korvi {

class DNSConfiguration;

// Reads the settings Korvi manages from the lines of an existing named.conf:
// listen-on addresses, allow-query, recursion, forwarders and one-line zone
// statements. Everything else is left alone; nothing is reported.
class NamedConfReader {
public:
    // What the text sets; fields it does not set stay empty.
    struct Settings {
        std::optional<QStringList> listenAddresses;
        std::optional<QStringList> allowQuery;
        std::optional<bool> recursion;
        std::optional<QStringList> forwarders;
        QMap<QString, QString> zoneFiles; // entries to set, later lines winning
    };

    // Nothing is set for text of 1,048,576 characters or more; otherwise the
    // first 10,000 lines are read.
    static Settings read(const QString& text);

    // Applies what read() found to the configuration through its setters.
    static void apply(const Settings& settings, DNSConfiguration& configuration);

    // -- Cutting lines (no judgement of the pieces) --

    // True when `word` stands in the line as a word of its own: neither
    // preceded nor followed by a letter, digit, "-" or "_".
    static bool containsWord(const QString& line, const QString& word);
    // The text between the first "{" and the first "}" after it.
    static std::optional<QString> braceContents(const QString& line);
    // The braces' contents split at ";", each piece trimmed, empty ones
    // dropped.
    static QStringList listPieces(const QString& contents);
    // The text after the first `word "` (as a word) up to the next '"'.
    static std::optional<QString> quotedAfter(const QString& line, const QString& word);

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
    // Zone name and file name of a zone statement that stands on one line.
    static std::optional<std::pair<QString, QString>> zoneEntry(const QString& line);
};

} // namespace korvi
