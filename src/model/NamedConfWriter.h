#pragma once

#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>

#include "model/SecondaryZone.h"

namespace korvi {

class DNSConfiguration;

// Renders a configuration as named.conf text: comment header, options,
// logging, then one block per zone in zone-name order.
class NamedConfWriter {
public:
    struct Options {
        // The path of the "directory" option, where BIND resolves zone file
        // names and its log file.
        QString directory = QStringLiteral("/usr/local/var/named");
        // The BIND version the file is written for ("9.18.49", or the whole
        // output of `named -v`); empty when unknown.
        QString bindVersion;
        // The time in the header; the current time when not valid.
        QDateTime now;
        // Lines added to the options block right after "directory", each
        // indented by four spaces and written as given (for example the
        // pid-file and session-keyfile of a private server).
        QStringList extraOptionLines;
        // Whole statements added after the logging block, one line each (a
        // private server turns off the control channel, which would otherwise
        // take the machine-wide port 953).
        QStringList extraStatements;
        // Lines added inside every zone statement of Korvi's zones (the
        // zone-transfer lines of its secondaries), each indented by four
        // spaces and written as given.
        QStringList zoneLines;
        // Lines added inside one zone's statement only (a signed zone's
        // policy), by lower-case zone name, after zoneLines.
        QHash<QString, QStringList> linesOfZone;
    };

    static QString write(const DNSConfiguration& configuration, const Options& options);

    // Major and minor number of the first "N.N" in the text.
    static std::optional<std::pair<int, int>> versionNumbers(const QString& bindVersion);

    // "dnssec-enable yes;" is written unless the version is known to be
    // 9.16 or later (9.18 refuses the option altogether).
    static bool writesDNSSECEnable(const QString& bindVersion);

    // A logging level that can be written as it stands without ending the
    // statement or the line: no "{", "}", ";", '"', "#", "//", "/*", no
    // control or format characters and no line or paragraph separators.
    static bool isSafeStatementText(const QString& text);

    // An address-list item or forwarder that can be written as it stands:
    // like isSafeStatementText, except that whole double-quoted names
    // ('"trusted"', '!"trusted"') are allowed when their text is safe
    // between quotes. Unsafe items are left out of the written list.
    static bool isSafeListItem(const QString& text);

    // A zone file name that can be written between double quotes: no '"',
    // no "\", no control or format characters, no line separators.
    static bool isSafeQuotedText(const QString& text);

    // --- Secondary zones -------------------------------------------------
    // The statement of a zone this server copies from its primaries:
    //   zone "x" { type secondary; primaries { A port P [key "K"]; };
    //              file "F"; masterfile-format text; };
    // Text form, so that Korvi can read the copy BIND writes. Empty when the
    // zone is refused (see SecondaryZoneSettings::refusal).
    static QString secondaryZoneStatement(const SecondaryZoneSettings& zone);
};

} // namespace korvi
